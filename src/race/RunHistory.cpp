#include "race/RunHistory.h"

#include "archive/ArchivedStore.h"
#include "race/RaceMath.h"
#include "records/RaceRecord.h"
#include "records/RunnerRecord.h"
#include "records/Venues.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

#include <QHash>

#include <algorithm>

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

// Whether the race may hold a wide trip, from the sheet's own figures without
// building the sheet; the rows of the races that may are then judged exactly.
bool MayHoldTrip(const TRaceEntry& entry, int lossPerLane, const TWideCriteria& criteria) {
  const int distance = LineDistance(entry.PositionLine);
  if (distance <= 0) return false;
  TRunnerRecord runner;
  QList<std::pair<int, int>> timed;  // converted time, placing
  for (const QByteArray& line : entry.Runners) {
    const int n = StrToIntOrZero(runner.HorseNumber(line));
    const qint64 corrected = CorrectedDistance(entry.PositionLine, n, lossPerLane);
    if (criteria.MinLoss > 0 && corrected - distance >= criteria.MinLoss) return true;
    const int time = runner.RunTime(line);
    if (time > 0)
      timed.append(
          {ConvertedTime(distance, RaceSpeed(corrected, time)), StrToIntOrZero(runner.FinalPlace(line))});
  }
  if (criteria.MinGain <= 0) return false;
  std::sort(timed.begin(), timed.end());
  // The best rank a converted time can have: runners level with it share it.
  for (qsizetype i = 0; i < timed.size(); ++i) {
    qsizetype first = i;
    while (first > 0 && timed[first - 1].first == timed[i].first) --first;
    if (timed[i].second > 0 && timed[i].second - (first + 1) >= criteria.MinGain) return true;
  }
  return false;
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
  QList<TWideTrip> trips;
  // A day at a time: a race's sheet looks its payout up among the store's.
  for (const QByteArray& day : archive.RacingDays(from, to)) {
    TDayStore store = ArchivedStore(archive.DayRecords(day, day), positionLines, {});
    store.Races.removeIf(
        [&](const TRaceEntry& entry) { return !MayHoldTrip(entry, settings.Distance, criteria); });
    const QHash<QByteArray, QList<TRunRow>> rows = RowsOfRaces(store, settings);
    TByteLines keys = rows.keys();
    std::sort(keys.begin(), keys.end());
    for (const QByteArray& key : std::as_const(keys)) {
      for (const TRunRow& row : rows.value(key)) {
        const bool lost = criteria.MinLoss > 0 && row.GroundLost >= criteria.MinLoss;
        const bool beat = criteria.MinGain > 0 && row.Placing > 0 && row.ConvertedRank > 0 &&
                          row.Placing - row.ConvertedRank >= criteria.MinGain;
        if (lost || beat) trips.append({row, {}});
      }
    }
  }
  // The next run of each horse, where the archive has one: where and how it ended.
  TRunnerRecord runner;
  for (TWideTrip& trip : trips) {
    TRunKey run;
    const QByteArray line = archive.NextRun(trip.Run.Name, trip.Run.RaceKey, run);
    if (!line.isEmpty()) {
      const QString mark = runner.AbnormalMark(line);
      trip.Next.RaceKey = run.RaceKey;
      trip.Next.Venue = VenueName(run.RaceKey.mid(8, 2));
      trip.Next.RaceNumber = StrToIntOrZero(run.RaceKey.mid(14, 2));
      trip.Next.HorseNumber = run.HorseNumber;
      trip.Next.Name = trip.Run.Name;
      trip.Next.Placing = StrToIntOrZero(runner.FinalPlace(line));
      trip.Next.Place = mark.isEmpty() ? QString::number(trip.Next.Placing) : mark;
    }
  }
  return trips;
}
