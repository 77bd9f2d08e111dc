#pragma once

#include "link/DayStore.h"
#include "position/Settings.h"
#include "text/LineFile.h"

#include <QByteArrayView>
#include <QString>

// Export of the added times, one file per meeting, one 90-character line per
// day and race (line (day - 1) * 12 + race - 1).

// "FT" + year + meeting + venue character + ".dat"; venue 10 is "A".
QString ExportFileName(QByteArrayView positionLine);

// The file the race goes to under targetDir: a year folder below a folder
// named FUKA_TIME (created when missing), otherwise the folder itself.
// Throws TFileError when the year folder cannot be made or the folder is missing.
QString ExportFilePath(QByteArrayView positionLine, const QString& targetDir);

// Writes the race's added-time line into its meeting file, replacing a written
// line only when overwrite is set. Line 0 of the list is the position line.
// Throws TConvertError for a list without a position line, TFileError when the
// file cannot be written; the file is then left as it was.
void ExportCorrectedTimes(const TByteLines& horseList, bool overwrite, const TSettings& settings);

// Every race of the list but steeplechases, in list order, without replacing
// lines already written. Stops at the first error; earlier races stay saved.
void ExportAllRaces(const QList<TRaceEntry>& raceLines, const TSettings& settings);
