#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

using TByteLines = QList<QByteArray>;

// Reads a text file into byte lines. CR LF, LF or CR ends a line; a final line
// break opens no empty line. A missing or unreadable file throws TFileError.
TByteLines ReadLines(const QString& path);

// Splits bytes into lines by the same rule as ReadLines.
TByteLines SplitLines(QByteArrayView bytes);

// The lines as one text, each followed by CR LF.
QByteArray JoinLines(const TByteLines& lines);

// Replaces the file whole with the lines, each followed by CR LF. The file is
// written aside and renamed, so on failure (TFileError) the old file is intact.
void WriteLines(const QString& path, const TByteLines& lines);

// Replaces the file whole with the bytes, by the same write-aside rule. Every
// write is checked before the rename; a full disk is named as such.
void WriteFileAtomically(const QString& path, QByteArrayView bytes);

// Replaces `to` whole with a copy of `from`, by the same rule. Throws TFileError
// when `from` cannot be read or `to` cannot be written; `to` is then intact.
void CopyFileAtomically(const QString& from, const QString& to);
