#pragma once

#include "position/PositionSave.h"
#include "store/DayStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Names of the files in the data directory that the day store is loaded from.
namespace DataFile {
inline constexpr char Race[] = "RaceData.dat";
inline constexpr char Uma[] = "UmaData.dat";
inline constexpr char Pay[] = "PayData.dat";
inline constexpr const char* Position = PositionFileName;
// The three record files change together, in this order.
inline constexpr const char* SetFiles[] = {Race, Uma, Pay};
// Lies beside them only while a download replaces them: one line per file,
// "name old new", each side "size:sha1" of the file's bytes ("-" for no file).
inline constexpr char SetMarker[] = "DataFiles.pending";
}  // namespace DataFile

// "size:sha1" of the file's bytes, or "-" when there is no such file.
QByteArray FileDigest(const QString& path);
QByteArray BytesDigest(QByteArrayView bytes);

// Empty when the record files form one set; otherwise why not, for the user:
// a download stopped after replacing some of them and before the rest.
QString DataSetMismatch(const QString& dataDir);

// One record per race: of the lines of one race key, the last stays, where it
// stands. Lines that break the record rule are dropped, since no reader takes them.
TByteLines LastOfEachRace(const TByteLines& lines);
// One SE record per race and horse number, by the same rule.
TByteLines LastOfEachHorse(const TByteLines& lines);

// True when RaceData.dat and UmaData.dat exist in dataDir (the condition for
// the results command); without PayData.dat races show without payouts.
bool DataFilesExist(const QString& dataDir);

// Rebuilds the whole store from the data files and Position.dat in dataDir.
// When RaceData.dat or UmaData.dat is missing nothing is read and the store is
// left as it was (returns false). The store is replaced only once everything
// has been built, so an error (TConvertError from a summary, TDataError for
// files that do not form one set, TFileError) leaves it unchanged. What the user should
// know about files that load but look damaged (empty, lines skipped, races
// without runners, no payouts) is added to notes when given.
bool LoadDayStore(TDayStore& store, const QString& dataDir, QStringList* notes = nullptr);

// The store's races out of race and runner records, by the loader's rules (the
// last record of a race or horse counts, runners in arrival order), each with
// its position line out of next.PosLines and its summary with the payouts of
// next.PayLines, which the caller has set. Races without runners are named in
// notes when given. Throws TConvertError as LoadDayStore.
void BuildDayStore(TDayStore& next, const TByteLines& raceRead, const TByteLines& umaRead,
                   QStringList* notes = nullptr);

// The race summary line of an entry: the race key of its position line, "=",
// then three 28-byte place entries for its first three runners, looking
// payouts up in store.PayLines. Fewer than three runners give the key and "="
// alone, which no reader accepts as a summary. A horse number that is not a
// decimal integer throws TConvertError.
QByteArray BuildRaceSummary(const TDayStore& store, const TRaceEntry& entry);
