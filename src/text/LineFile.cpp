#include "text/LineFile.h"

#include "text/Errors.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

TByteLines SplitLines(QByteArrayView bytes) {
  TByteLines lines;
  qsizetype start = 0;
  const qsizetype size = bytes.size();
  for (qsizetype i = 0; i < size; ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') continue;
    lines.append(bytes.sliced(start, i - start).toByteArray());
    if (c == '\r' && i + 1 < size && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < size) lines.append(bytes.sliced(start).toByteArray());
  return lines;
}

TByteLines ReadLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw TFileError(QStringLiteral("ファイル %1 を読み込めません: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString()));
  }
  return SplitLines(file.readAll());
}

void WriteFileAtomically(const QString& path, QByteArrayView bytes) {
  QSaveFile file(path);
  const auto fail = [&] {
    throw TFileError(QStringLiteral("ファイル %1 に書き込めません: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString()));
  };
  if (!file.open(QIODevice::WriteOnly)) fail();
  if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
    file.cancelWriting();
    fail();
  }
  if (!file.commit()) fail();
}

QByteArray JoinLines(const TByteLines& lines) {
  qsizetype total = 0;
  for (const QByteArray& line : lines) total += line.size() + 2;
  QByteArray bytes;
  bytes.reserve(total);
  for (const QByteArray& line : lines) {
    bytes.append(line);
    bytes.append("\r\n", 2);
  }
  return bytes;
}

void WriteLines(const QString& path, const TByteLines& lines) {
  WriteFileAtomically(path, JoinLines(lines));
}
