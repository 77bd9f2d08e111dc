#pragma once

#include "fuzz/FuzzSupport.h"
#include "text/LineFile.h"

#include <QFile>
#include <QTemporaryDir>

// Input: the bytes of a text file. Lines never hold a line break, joining them
// back gives the bytes up to the line breaks, and the file written from the
// lines reads back as the same lines.
inline TFailures CheckLineFile(QByteArrayView data) {
  TFailures f;
  const TByteLines lines = SplitLines(data);
  QByteArray text;
  for (const char c : data) {
    if (c != '\r' && c != '\n') text.append(c);
  }
  QByteArray joined;
  for (const QByteArray& line : lines) {
    f.Expect(!line.contains('\r') && !line.contains('\n'), QStringLiteral("a line holds a line break"));
    joined += line;
  }
  f.Expect(joined == text, QStringLiteral("lines lost or gained bytes"));
  // Every break ends one line: CR LF counts once, so lines = breaks - CR LF pairs (+1 for an unended tail).
  qsizetype breaks = 0;
  for (qsizetype i = 0; i < data.size(); ++i) {
    if (data[i] == '\n' && i > 0 && data[i - 1] == '\r') continue;
    if (data[i] == '\r' || data[i] == '\n') ++breaks;
  }
  const bool tail = !data.isEmpty() && data.back() != '\r' && data.back() != '\n';
  f.Expect(lines.size() == breaks + (tail ? 1 : 0),
           QStringLiteral("%1 lines for %2 line breaks").arg(lines.size()).arg(breaks));

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Lines.dat"));
  WriteFileAtomically(path, data);
  f.Expect(ReadLines(path) == lines, QStringLiteral("ReadLines differs from SplitLines"));
  WriteLines(path, lines);
  f.Expect(ReadLines(path) == lines, QStringLiteral("written lines do not read back the same"));
  QFile file(path);
  f.Expect(file.open(QIODevice::ReadOnly), QStringLiteral("written file cannot be opened"));
  const QByteArray written = file.readAll();
  f.Expect(written.size() == text.size() + 2 * lines.size(),
           QStringLiteral("written file is not the lines with CR LF"));
  return f;
}
