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

namespace {

// Why a write failed, in words: Qt reports a full disk (ENOSPC) as ResourceError.
QString WriteFailureText(const QFileDevice& file) {
  if (file.error() == QFileDevice::ResourceError) return QStringLiteral("ディスクの空き容量が足りません。");
  return file.errorString();
}

[[noreturn]] void ThrowWriteFailure(const QString& path, const QString& reason) {
  throw TFileError(
      QStringLiteral("ファイル %1 に書き込めません: %2").arg(QDir::toNativeSeparators(path), reason));
}

// Unbuffered, so every write reaches the file before it counts: a buffered
// write would only fail at commit, whose final flush QSaveFile does not check
// before it renames the short file into place.
void OpenAside(QSaveFile& file) {
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    ThrowWriteFailure(file.fileName(), file.errorString());
}

// A short write is tried again for the rest, so a full disk shows as an error.
void WriteAll(QSaveFile& file, QByteArrayView bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const qint64 written = file.write(bytes.data() + done, bytes.size() - done);
    if (written <= 0) {
      // Read before cancelWriting, which puts its own error in place.
      const QString reason = WriteFailureText(file);
      file.cancelWriting();
      ThrowWriteFailure(file.fileName(), reason);
    }
    done += written;
  }
}

void CommitAside(QSaveFile& file) {
  if (!file.commit() || file.error() != QFileDevice::NoError)
    ThrowWriteFailure(file.fileName(), WriteFailureText(file));
}

}  // namespace

void WriteFileAtomically(const QString& path, QByteArrayView bytes) {
  QSaveFile file(path);
  OpenAside(file);
  WriteAll(file, bytes);
  CommitAside(file);
}

void CopyFileAtomically(const QString& from, const QString& to) {
  QFile source(from);
  if (!source.open(QIODevice::ReadOnly)) {
    throw TFileError(QStringLiteral("ファイル %1 を読み込めません: %2")
                         .arg(QDir::toNativeSeparators(from), source.errorString()));
  }
  QSaveFile target(to);
  OpenAside(target);
  QByteArray chunk;
  while (!(chunk = source.read(1 << 20)).isEmpty()) WriteAll(target, chunk);
  if (source.error() != QFileDevice::NoError) {
    target.cancelWriting();
    throw TFileError(QStringLiteral("ファイル %1 を読み込めません: %2")
                         .arg(QDir::toNativeSeparators(from), source.errorString()));
  }
  CommitAside(target);
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
