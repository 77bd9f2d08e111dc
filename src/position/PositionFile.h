#pragma once

#include "text/LineFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QString>

// What LoadPositions found in the file.
struct TPositionLoad {
  qsizetype Records = 0;       // lines appended to the list
  bool Damaged = false;        // some bytes could not be read as records
  qsizetype DamagedBytes = 0;  // all such bytes
  qsizetype FirstDamage = -1;  // offset of the first of them; -1 when the file read whole
  qsizetype LostRecords = 0;  // records those bytes held, as far as their size tells (at least one a stretch)
  QByteArray FirstDamagedRace;  // race key of the first damaged record, when its key digits still read
};

// The position file and the merges and lookups over position lines.
//
// The file is a sequence of records: a signed 32-bit little-endian character
// count, then the characters packed two to a byte as hexadecimal digits (high
// nibble first, a final odd character padded with a zero nibble). Position
// lines are decimal digits, so they read back unchanged.
class TPositionFile {
public:
  // Appends one line per complete record, in file order; the list is not
  // cleared. A missing file appends nothing and is not damaged. A file that
  // exists but cannot be read throws TFileError.
  // Where the records stop making sense (a length that runs past the end or
  // below zero, a record that is no position line and has one starting
  // inside it, or one of at least a race key's length whose characters are
  // not all decimal digits) the bytes up to the next sound record are
  // skipped, so every intact record after a damaged one is still read.
  static TPositionLoad LoadPositions(TByteLines& list, const QString& fileName);

  // Replaces the file whole (write aside, then rename). Every line is checked
  // first: one holding a character that is not a hexadecimal digit throws
  // TFileError and the old file stays as it was. An empty list gives 0 bytes.
  static void SavePositions(const TByteLines& list, const QString& fileName);

  // Copies a file whose tail LoadPositions reported damaged to a free name
  // beside it ("Position.dat" -> "Position.damaged", then "Position.damaged.2",
  // ...), so rewriting the file loses nothing. Returns the copy's path; throws
  // TFileError when the copy cannot be made.
  static QString KeepDamagedOriginal(const QString& fileName);
  // The message a front end shows after KeepDamagedOriginal: where the file
  // was damaged and how many records were lost.
  static QString DamagedMessage(const QString& fileName, const QString& keptCopy, const TPositionLoad& load);
  // Where and how much, for that message and others.
  static QString DamageText(const TPositionLoad& load);

  // Texts of lines, each followed by a line break. A line's name is its first
  // keyLength characters, compared ignoring letter case. The result is sorted
  // ascending, ignoring letter case.
  // Adds the added lines whose name is not yet stored (of several with one
  // name, the first); stored lines are never replaced. Empty added lines are skipped.
  static QByteArray AddNewRaces(const QByteArray& stored, const QByteArray& added, int keyLength);
  // Replaces the first stored line of each current line's name; current lines
  // without a stored namesake are dropped.
  static QByteArray ReplaceRaces(const QByteArray& stored, const QByteArray& current, int keyLength);
  // The same merges over line lists, for callers that hold lists (no joining
  // and splitting of the whole file's text).
  static TByteLines AddNewRaceLines(TByteLines stored, const TByteLines& added, int keyLength);
  static TByteLines ReplaceRaceLines(TByteLines stored, const TByteLines& current, int keyLength);

  // The last line of the list that begins with the race key (case-sensitive);
  // empty when none does.
  static QByteArray FindPosLine(const TByteLines& list, QByteArrayView raceKey);

  // 1-based position of the first character of horse n's 4-digit entry for
  // section g (numbered back from the goal, 1 = the goal); the row is the two
  // characters there and the lane the two after them. 0 when not available:
  // empty line, a line shorter than its header or than the entry, n or g out
  // of range. A header whose distance or horse count is not an integer throws
  // TConvertError.
  static int EntryPos(QByteArrayView line, int n, int g);
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

  // The file with AddNewRaceLines(lines of the file, added, 16) applied.
  // False, and nothing done, when a non-empty added line is not a plain
  // position line (at least a key's length, decimal digits only).
  bool AddNewRaces(const TByteLines& added, QByteArray& bytes) const;
  // The file with ReplaceRaceLines(lines of the file, current, 16) applied;
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
