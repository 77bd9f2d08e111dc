#pragma once

#include "position/PositionSave.h"
#include "store/DayStore.h"

#include <QByteArray>
#include <QString>

// Names of the files in the data directory that the day store is loaded from.
namespace DataFile {
inline constexpr char Race[] = "RaceData.dat";
inline constexpr char Uma[] = "UmaData.dat";
inline constexpr char Pay[] = "PayData.dat";
inline constexpr const char* Position = PositionFileName;
}  // namespace DataFile

// One record per race: of the lines of one race key, the last stays, where it
// stands. Lines that break the record rule are dropped, since no reader takes them.
TByteLines LastOfEachRace(const TByteLines& lines);
// One SE record per race and horse number, by the same rule.
TByteLines LastOfEachHorse(const TByteLines& lines);

// True when RaceData.dat, UmaData.dat and PayData.dat all exist in dataDir
// (the condition for the results command).
bool DataFilesExist(const QString& dataDir);

// Rebuilds the whole store from the data files and Position.dat in dataDir.
// When a data file is missing nothing is read and the store is left as it was
// (returns false). The store is replaced only once everything has been built,
// so an error (TConvertError from a summary, TFileError) leaves it unchanged.
bool LoadDayStore(TDayStore& store, const QString& dataDir);

// The race summary line of a horse list: the race key of its position line,
// "=", then three 28-byte place entries for horse list lines 1 to 3, looking
// payouts up in store.PayLines. A list with fewer than three horse lines gives
// the key and "=" alone, which no reader accepts as a summary. A horse number
// that is not a decimal integer throws TConvertError.
QByteArray BuildRaceSummary(const TDayStore& store, const TByteLines& horseList);
