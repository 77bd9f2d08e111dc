#include "demo/DemoService.h"
#include "link/Download.h"
#include "link/FeedLink.h"
#include "link/LinkSettings.h"
#include "position/PassingOrderConverter.h"
#include "position/PositionFile.h"
#include "store/DayStoreLoader.h"
#include "support/QuietObserver.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

const QDate Today(2024, 5, 12);  // a Sunday; at 09:00 the download asks 8 days

QString In(const QString& dir, const char* name) {
  return QDir(dir).filePath(QString::fromLatin1(name));
}

// One working folder for the whole run: the demo week's feed, and per history
// length a Position.dat of the demo's racing in the years before the week.
class TBenchData {
public:
  static TBenchData& Instance() {
    static TBenchData data;
    return data;
  }

  QString Root() const { return FRoot.path(); }
  QString StartDir() const { return In(Root(), "start"); }

  // Position.dat holding `years` years of stored races (before this week's).
  QString HistoryFile(int years) {
    const QString path = In(Root(), QByteArray("history-" + QByteArray::number(years) + ".dat").constData());
    if (!QFile::exists(path)) {
      const QDate last = Today.addDays(-9);
      const TByteLines records = TDemoService(1).RaceHistory(last.addYears(-years), last);
      TByteLines lines = SplitLines(TPassingOrderConverter::ConvertRaces(records));
      std::sort(lines.begin(), lines.end());
      TPositionFile::SavePositions(lines, path);
    }
    return path;
  }

  // A data folder as the download leaves it for `years` years of history.
  QString DataDirAfterDownload(int years) {
    const QString dir = In(Root(), QByteArray("data-" + QByteArray::number(years)).constData());
    if (!QDir(dir).exists()) {
      QDir().mkpath(dir);
      ResetDataDir(dir, years);
      RunDownload(dir);
    }
    return dir;
  }

  // Only the stored history in the data folder, no data files.
  void ResetDataDir(const QString& dir, int years) {
    for (const char* name : {DataFile::Race, DataFile::Uma, DataFile::Pay, DataFile::Position}) {
      QFile::remove(In(dir, name));
    }
    QFile::copy(HistoryFile(years), In(dir, DataFile::Position));
  }

  TDownloadResult RunDownload(const QString& dataDir) {
    TFeedLink link(StartDir(), FClock);
    link.SetDemoWriter(DemoFeedWriter());
    link.JVInit(QString::fromLatin1(SoftwareIdText));
    TDayStore store;
    TQuietObserver observer;
    return TDownload(link, FClock, store, dataDir, observer).Run();
  }

private:
  TBenchData() {
    QDir().mkpath(StartDir());
    const QString feed = In(Root(), "feed");
    TDemoService(1).WriteFeed(feed, Today, 9);
    TLinkSettings settings;
    settings.FeedFolder = feed;
    settings.Save(StartDir());
  }

  QTemporaryDir FRoot;
  TFixedClock FClock{QDateTime(Today, QTime(9, 0))};
};

void BM_LoadDayStore(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  const QString dataDir = TBenchData::Instance().DataDirAfterDownload(years);
  TDayStore store;
  for (auto _ : state) {
    LoadDayStore(store, dataDir);
    benchmark::DoNotOptimize(store.RaceSummaries.size());
  }
  state.counters["races"] = static_cast<double>(store.Races.size());
  state.counters["stored"] = static_cast<double>(store.PosLines.size());
}
BENCHMARK(BM_LoadDayStore)->Arg(2)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_DemoWeekDownload(benchmark::State& state) {
  const int years = static_cast<int>(state.range(0));
  TBenchData& data = TBenchData::Instance();
  const QString dataDir = In(data.Root(), QByteArray("download-" + QByteArray::number(years)).constData());
  QDir().mkpath(dataDir);
  TDownloadResult result;
  for (auto _ : state) {
    state.PauseTiming();
    data.ResetDataDir(dataDir, years);
    state.ResumeTiming();
    result = data.RunDownload(dataDir);
  }
  state.counters["days"] = result.DaysOpened;
}
BENCHMARK(BM_DemoWeekDownload)->Arg(2)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace
