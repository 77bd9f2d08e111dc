#include "race/CorrectedTimeExport.h"
#include "support/RecordLines.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A racing week as the store holds it: two days at three venues, twelve races
// a day of 16 horses at 1200, 1800 and 2400 m, a steeplechase now and then.
QList<TRaceEntry> DemoWeek() {
  QList<TRaceEntry> races;
  const int distances[] = {1200, 1800, 2400};
  for (int day = 1; day <= 2; ++day)
    for (int venue : {5, 8, 10})
      for (int race = 1; race <= 12; ++race) {
        const QByteArray key = QByteArray("2014") + QByteArray::number(600 + day).rightJustified(4, '0') +
                               QByteArray::number(venue).rightJustified(2, '0') + "02" +
                               QByteArray::number(day).rightJustified(2, '0') +
                               QByteArray::number(race).rightJustified(2, '0');
        const int distance = distances[race % 3];
        const int sections = distance <= 1400 ? 4 : distance <= 2000 ? 7 : 13;
        const int track = race == 4 && venue == 8 ? 51 : 11;
        QByteArray line = key + QByteArray::number(distance) + QByteArray::number(track) + "16";
        for (int n = 1; n <= 16; ++n) {
          line += QByteArray::number((n + 1) / 2) + '0';
          for (int i = 0; i < sections; ++i)
            line += i % 3 == 0 ? QByteArray("0000")
                               : QByteArray::number((n + 1) / 2).rightJustified(2, '0') + "0" +
                                     QByteArray::number(1 + n % 4);
        }
        TRaceEntry entry{RaceBuilder(key).SetDistance(distance).SetTrackCode(track).Line(), line, {}};
        for (int n = 1; n <= 16; ++n)
          entry.Runners.append(RunnerBuilder(key, n, n).SetTime(distance * 6 / 100 + 5 * n).Line());
        races.append(entry);
      }
  return races;
}

void BM_ExportAllRaces(benchmark::State& state) {
  const QList<TRaceEntry> races = DemoWeek();
  QTemporaryDir dir;
  TSettings settings;
  settings.TargetDir = dir.path();
  for (auto _ : state) ExportAllRaces(races, settings);
  state.counters["races"] = static_cast<double>(races.size());
}
BENCHMARK(BM_ExportAllRaces)->Unit(benchmark::kMillisecond);

// One race from its window: read, change one line, replace the file.
void BM_ExportCorrectedTimes(benchmark::State& state) {
  const QList<TRaceEntry> races = DemoWeek();
  QTemporaryDir dir;
  TSettings settings;
  settings.TargetDir = dir.path();
  for (auto _ : state) ExportCorrectedTimes(races[0], true, settings);
}
BENCHMARK(BM_ExportCorrectedTimes)->Unit(benchmark::kMicrosecond);

}  // namespace
