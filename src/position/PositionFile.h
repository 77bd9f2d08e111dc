#pragma once

#include "text/LineFile.h"

#include <QByteArray>
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

// Reading, writing and recovery of the position file (Position.dat and its
// backup Position.bak).
// The records are as PositionRecord.h lays them out; position lines are
// decimal digits, so they read back unchanged.
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
};
