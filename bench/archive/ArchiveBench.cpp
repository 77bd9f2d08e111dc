// The archive at one year and at twenty years of demo racing (about 2,300
// racing days): importing the feed, a download's addition, opening a day for
// the results list, a horse search, a 60-run history, a year of wide trips,
// and the database's size against the bytes of the records it holds.

#include "archive/ArchivedStore.h"
#include "demo/DemoService.h"
#include "link/FeedImport.h"
#include "position/PositionFile.h"
#include "race/RunHistory.h"
#include "results/ResultsCells.h"
#include "results/ResultsList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

namespace {

const QDate LastDay(2024, 5, 5);  // the last day of the history; the week after it is the download's

// Per history length: a feed folder, and a data folder it was imported into.
class TArchiveData {
public:
  static TArchiveData& Instance() {
    static TArchiveData data;
    return data;
  }

  QString Feed(int years) {
    const QString feed = FRoot.filePath(QStringLiteral("feed-%1").arg(years));
    if (!QDir(feed).exists())
      TDemoService(1).WriteFeed(feed, LastDay, int(LastDay.addYears(-years).daysTo(LastDay)) + 1);
    return feed;
  }

  QString DataDir(int years) {
    const QString dataDir = FRoot.filePath(QStringLiteral("data-%1").arg(years));
    if (!QDir(dataDir).exists()) {
      QDir().mkpath(dataDir);
      TArchive archive(ArchivePath(dataDir), TArchive::TAccess::Write);
      ImportFeed(Feed(years), {}, {}, archive, dataDir);
      archive.BackupTo(ArchiveBackupPath(dataDir));
    }
    return dataDir;
  }

  const TByteLines& Positions(int years) {
    TByteLines& lines = FPositions[years];
    if (lines.isEmpty())
      TPositionFile::LoadPositions(lines, QDir(DataDir(years)).filePath(QStringLiteral("Position.dat")));
    return lines;
  }

  // The last week's records, as a download brings them.
  TArchiveRecords Week() {
    if (FWeek.RaceLines.isEmpty()) {
      TArchive archive(ArchivePath(DataDir(1)), TArchive::TAccess::Read);
      FWeek = archive.DayRecords("20240429", "20240505");
    }
    return FWeek;
  }

  QString Root() const { return FRoot.path(); }

private:
  QTemporaryDir FRoot;
  std::map<int, TByteLines> FPositions;
  TArchiveRecords FWeek;
};

void BM_ImportFeed(benchmark::State& state) {
  TArchiveData& data = TArchiveData::Instance();
  const QString feed = data.Feed(int(state.range(0)));
  int races = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QTemporaryDir dataDir(data.Root() + QStringLiteral("/import-XXXXXX"));
    state.ResumeTiming();
    TArchive archive(ArchivePath(dataDir.path()), TArchive::TAccess::Write);
    races = ImportFeed(feed, {}, {}, archive, dataDir.path()).Races;
  }
  state.counters["races"] = races;
}
BENCHMARK(BM_ImportFeed)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_AddDownload(benchmark::State& state) {
  TArchiveData& data = TArchiveData::Instance();
  const QString dataDir = data.DataDir(int(state.range(0)));
  const TArchiveRecords week = data.Week();
  for (auto _ : state) benchmark::DoNotOptimize(AddToArchive(dataDir, week));
  state.counters["races"] = double(week.RaceLines.size());
}
BENCHMARK(BM_AddDownload)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

// What the results list does for a day it has not shown: the day's records
// out of the archive, the store built, the list laid out and every cell drawn.
void BM_OpenArchivedDay(benchmark::State& state) {
  TArchiveData& data = TArchiveData::Instance();
  const int years = int(state.range(0));
  const TByteLines& positions = data.Positions(years);
  TArchive archive(ArchivePath(data.DataDir(years)), TArchive::TAccess::Read);
  const TByteLines days = archive.RacingDays();
  const QByteArray day = days[days.size() / 2];
  const TSettings settings;
  for (auto _ : state) {
    TDayStore store = ArchivedStore(archive.DayRecords(day, day), positions, {});
    TResultsList list(store, settings);
    list.Open();
    TResultsCells cells(list);
    for (int v = 1; v <= list.VenueCount(); ++v)
      for (int row = 0; row < TResultsList::RowCount; ++row)
        benchmark::DoNotOptimize(cells.DrawCell(v, row, {0, 0, 100, 20}, false, false));
  }
}
BENCHMARK(BM_OpenArchivedDay)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_FindHorses(benchmark::State& state) {
  TArchiveData& data = TArchiveData::Instance();
  TArchive archive(ArchivePath(data.DataDir(int(state.range(0)))), TArchive::TAccess::Read);
  qsizetype found = 0;
  for (auto _ : state) found = archive.FindHorses(QStringLiteral("かぜ"), 200).size();
  state.counters["found"] = double(found);
}
BENCHMARK(BM_FindHorses)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

// The runs of the busiest jockey, cut to 60: a long horse's career.
void BM_History60(benchmark::State& state) {
  TArchiveData& data = TArchiveData::Instance();
  const int years = int(state.range(0));
  TArchive archive(ArchivePath(data.DataDir(years)), TArchive::TAccess::Read);
  const QString jockey = archive.FindJockeys(QStringLiteral("田"), 1).value(0).Name;
  const QList<TRunKey> runs = archive.JockeyRuns(jockey).mid(0, 60);
  const TSettings settings;
  for (auto _ : state) {
    benchmark::DoNotOptimize(HistoryRows(archive, runs, data.Positions(years), settings));
    benchmark::DoNotOptimize(archive.HorseRuns(jockey));
  }
  state.counters["runs"] = double(runs.size());
}
BENCHMARK(BM_History60)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_WideTripsYear(benchmark::State& state) {
  TArchiveData& data = TArchiveData::Instance();
  const int years = int(state.range(0));
  TArchive archive(ArchivePath(data.DataDir(years)), TArchive::TAccess::Read);
  const TSettings settings;
  qsizetype trips = 0;
  for (auto _ : state)
    trips = WideTrips(archive, "20230506", "20240505", data.Positions(years), settings, {12, 4}).size();
  state.counters["trips"] = double(trips);
}
BENCHMARK(BM_WideTripsYear)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(3);

// Not a time: the database's bytes per byte of the records it holds.
void BM_DatabaseSize(benchmark::State& state) {
  TArchiveData& data = TArchiveData::Instance();
  const QString dataDir = data.DataDir(int(state.range(0)));
  TArchive archive(ArchivePath(dataDir), TArchive::TAccess::Read);
  qint64 records = 0;
  for (auto _ : state) {
    records = 0;
    for (const QByteArray& day : archive.RacingDays()) records += archive.DayRecords(day, day).Bytes();
  }
  state.counters["records_MB"] = double(records) / 1e6;
  state.counters["database_MB"] = double(QFileInfo(ArchivePath(dataDir)).size()) / 1e6;
  state.counters["ratio"] = double(QFileInfo(ArchivePath(dataDir)).size()) / double(records);
}
BENCHMARK(BM_DatabaseSize)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
