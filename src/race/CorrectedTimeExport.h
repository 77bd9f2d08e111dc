#pragma once

#include "settings/Settings.h"
#include "store/DayStore.h"
#include "text/LineFile.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Export of the added times, one file per meeting, one 90-character line per
// day and race (line (day - 1) * 12 + race - 1).

// "FT" + year + meeting + venue character + ".dat"; venue 10 is "A".
QString ExportFileName(QByteArrayView positionLine);

// The file the race goes to under targetDir: a year folder below a folder
// named FUKA_TIME (created when missing), otherwise the folder itself.
// Throws TFileError when the year folder cannot be made or the folder is missing.
QString ExportFilePath(QByteArrayView positionLine, const QString& targetDir);

// The export folder of the settings: a relative one is taken in the data
// directory, where the program works.
QString ResolveTargetDir(const QString& targetDir, const QString& dataDir);

// Writes the race's added-time line into its meeting file, replacing a written
// line only when overwrite is set; true when the race's line was written.
// Throws TDataError for a race without a position line or runners,
// TConvertError for a value that does not fit its field, TFileError when the
// file cannot be written; the file is then left as it was.
bool ExportCorrectedTimes(const TRaceEntry& race, bool overwrite, const TSettings& settings);

// A race the export could not write, and why.
struct TExportFailure {
  QByteArray RaceKey;
  QString Reason;
};

// One line per reason, in order of first failure: "レース <key>, <key>: <reason>".
QStringList ExportFailureLines(const QList<TExportFailure>& failures);

struct TExportAllResult {
  int Written = 0;               // lines that were blank and now hold the race's values
  int LeftAlone = 0;             // lines already written, kept
  int Straight = 0;              // straight-course races, which have no added time
  int NoValues = 0;              // races whose every added time is 0: their line stays blank
  QStringList Files;             // meeting files written, in order of first use
  QList<TExportFailure> Failed;  // in list order
};

// Every race of the list but steeplechases and straight courses, in list
// order, without replacing lines already written. A race that cannot be
// converted, or whose file cannot be written, is named in Failed; every other
// race is still written. Each meeting file is read once, and written once when
// a line of it changes.
TExportAllResult ExportAllRaces(const QList<TRaceEntry>& raceLines, const TSettings& settings);
