#include "race/RunHistory.h"

#include "archive/ArchivedStore.h"
#include "records/RaceRecord.h"
#include "text/Errors.h"

#include <QHash>

namespace {

// Each race's rows by race key; races that cannot be shown give none.
QHash<QByteArray, QList<TRunRow>> RowsOfRaces(const TDayStore& store, const TSettings& settings) {
  TRaceRecord race;
  QHash<QByteArray, QList<TRunRow>> rows;
  for (const TRaceEntry& entry : store.Races) {
    if (entry.PositionLine.isEmpty() || race.IsSteeplechase(entry.RaceLine)) continue;
    try {
      rows.insert(race.RaceKey(entry.RaceLine), RaceRunRows(store, entry.RaceLine, settings));
    } catch (const TDataError&) {
      // No usable position line: the race has no figures to show.
    }
  }
  return rows;
}

}  // namespace

QList<TRunRow> HistoryRows(TArchive& archive, const QList<TRunKey>& runs, const TByteLines& positionLines,
                           const TSettings& settings) {
  TByteLines keys;
  for (const TRunKey& run : runs)
    if (keys.isEmpty() || keys.last() != run.RaceKey) keys.append(run.RaceKey);
  const TDayStore store = ArchivedStore(archive.RaceRecords(keys), positionLines, {});
  const QHash<QByteArray, QList<TRunRow>> rows = RowsOfRaces(store, settings);
  QList<TRunRow> history;
  for (const TRunKey& run : runs)
    for (const TRunRow& row : rows.value(run.RaceKey))
      if (row.HorseNumber == run.HorseNumber) history.append(row);
  return history;
}

QList<TWideTrip> WideTrips(TArchive& archive, const QByteArray& from, const QByteArray& to,
                           const TByteLines& positionLines, const TSettings& settings,
                           const TWideCriteria& criteria) {
  const TDayStore store = ArchivedStore(archive.DayRecords(from, to), positionLines, {});
  const QHash<QByteArray, QList<TRunRow>> rows = RowsOfRaces(store, settings);
  TByteLines keys = rows.keys();
  std::sort(keys.begin(), keys.end());
  QList<TWideTrip> trips;
  for (const QByteArray& key : std::as_const(keys)) {
    for (const TRunRow& row : rows.value(key)) {
      const bool lost = criteria.MinLoss > 0 && row.GroundLost >= criteria.MinLoss;
      const bool beat = criteria.MinGain > 0 && row.Placing > 0 && row.ConvertedRank > 0 &&
                        row.Placing - row.ConvertedRank >= criteria.MinGain;
      if (lost || beat) trips.append({row, {}});
    }
  }
  // The next run of each horse, where the archive has one.
  for (TWideTrip& trip : trips) {
    const QList<TRunKey> runs = archive.HorseRuns(trip.Run.Name);
    for (const TRunKey& run : runs) {
      if (run.RaceKey <= trip.Run.RaceKey) continue;
      const QList<TRunRow> next = HistoryRows(archive, {run}, positionLines, settings);
      if (!next.isEmpty()) trip.Next = next.first();
      if (next.isEmpty()) trip.Next.RaceKey = run.RaceKey;
      break;
    }
  }
  return trips;
}
