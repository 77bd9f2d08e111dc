#pragma once

#include "text/LineFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QString>

// The merges of position lines into the stored ones. A line's name is its
// first keyLength characters, compared ignoring letter case; the result is
// sorted ascending by the line's text, ignoring letter case.
class TPositionMerge {
public:
  // Adds the added lines whose name is not yet stored (of several with one
  // name, the first); stored lines are never replaced. Empty added lines are skipped.
  static TByteLines AddNewRaces(TByteLines stored, const TByteLines& added, int keyLength);
  // Replaces the first stored line of each current line's name; current lines
  // without a stored namesake are dropped.
  static TByteLines ReplaceRaces(TByteLines stored, const TByteLines& current, int keyLength);
};

// A position file whose records are all position lines with ascending race
// keys, held as its bytes. A day's save and the close save splice their few
// lines into these bytes instead of reading every line and packing it again;
// the bytes are the ones the line-list merges and SavePositions would write.
class TPackedPositions {
public:
  // False when the file is missing or holds anything else (damage, a record
  // that is no position line, keys out of order or repeated): the line-list
  // merges then apply. A file that exists but cannot be read throws TFileError.
  bool Read(const QString& fileName);

  // The file with TPositionMerge::AddNewRaces(lines of the file, added, 16) applied.
  // False, and nothing done, when a non-empty added line is not a plain
  // position line (at least a key's length, decimal digits only).
  bool AddNewRaces(const TByteLines& added, QByteArray& bytes) const;
  // The file with TPositionMerge::ReplaceRaces(lines of the file, current, 16) applied;
  // `changed` tells whether that differs from the file (the bytes are only
  // set when it does). False as above.
  bool ReplaceRaces(const TByteLines& current, QByteArray& bytes, bool& changed) const;
  // Lets go of the file, so that it can be replaced.
  void Close();

private:
  // Index of the record whose key is the first 16 digits of line; -1 when none.
  qsizetype RecordOfKey(const QByteArray& line) const;
  QByteArrayView Record(qsizetype i) const;

  QFile FFile;
  QByteArray FCopy;  // the bytes when the file could not be mapped
  const uchar* FData = nullptr;
  qsizetype FSize = 0;
  QList<qsizetype> FStarts;
};
