#include "position/PassingOrderConverter.h"
#include "position/PositionFile.h"
#include "position/PositionSave.h"
#include "records/RecordBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr int DaysPerYear = 96;  // weekends and holidays
constexpr int VenuesPerDay = 3;
constexpr int RacesPerVenue = 12;

QByteArray RaceKey(int year, int day, int venue, int race) {
  const auto two = [](int value) { return QByteArray::number(value).rightJustified(2, '0'); };
  return QByteArray::number(year) + two(1 + day / 8) + two(1 + day % 8 * 3) + two(venue + 1) +
         two(1 + day / 16) + two(1 + day % 8) + two(race + 1);
}

QByteArray RaceRecord(const QByteArray& key, int distance) {
  return TRecordBuilder::Race('7')
      .SetRaceKey(key)
      .SetDistance(distance)
      .SetTrackCode(11)
      .SetHorseCount(16)
      .SetCorner(0, distance > 1400 ? 1 : 0, "1,2(3,4)5-6,7(8,9,10)11=12,13,14(15,16)")
      .SetCorner(1, distance > 1400 ? 2 : 0, "(*1,2)3,4(5,6,7)-8,9=10(11,12)13,14,15,16")
      .SetCorner(2, 3, "2,1(3,5)4-(6,7)8,10(9,11)=12(13,14)15,16")
      .SetCorner(3, 4, "(1,2)(3,4)5,6-7,8,(9,10)11=12,13-14,15,16")
      .Line();
}

int DistanceOf(int race) {
  constexpr int distances[] = {1200, 1400, 1600, 1800, 2000, 2400};
  return distances[race % 6];
}

// Position lines of `years` years of racing, as stored: sorted by race key.
TByteLines StoredLines(int years) {
  QByteArray templates[6];
  for (int i = 0; i < 6; ++i)
    templates[i] = TPassingOrderConverter::ConvertRace(RaceRecord(RaceKey(2000, 0, 0, 0), DistanceOf(i)));
  TByteLines lines;
  lines.reserve(years * DaysPerYear * VenuesPerDay * RacesPerVenue);
  for (int year = 2000; year < 2000 + years; ++year) {
    for (int day = 0; day < DaysPerYear; ++day) {
      for (int venue = 0; venue < VenuesPerDay; ++venue) {
        for (int race = 0; race < RacesPerVenue; ++race) {
          QByteArray line = templates[race % 6];
          line.replace(0, 16, RaceKey(year, day, venue, race));
          lines.append(line);
        }
      }
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

struct TFixture {
  explicit TFixture(int years) : Lines(StoredLines(years)) {
    Path = Dir.filePath(QString::fromLatin1(PositionFileName));
    TPositionFile::SavePositions(Lines, Path);
  }
  QTemporaryDir Dir;
  QString Path;
  TByteLines Lines;
};

void SetCounters(benchmark::State& state, const TFixture& fixture) {
  state.counters["lines"] = static_cast<double>(fixture.Lines.size());
}

void BM_LoadPositions(benchmark::State& state) {
  const TFixture fixture(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TByteLines lines;
    TPositionFile::LoadPositions(lines, fixture.Path);
    benchmark::DoNotOptimize(lines.size());
  }
  SetCounters(state, fixture);
}

void BM_SavePositions(benchmark::State& state) {
  const TFixture fixture(static_cast<int>(state.range(0)));
  for (auto _ : state) TPositionFile::SavePositions(fixture.Lines, fixture.Path);
  SetCounters(state, fixture);
}

// One downloaded day of 36 races (three venues), new to the file.
void BM_SaveDayPositions(benchmark::State& state) {
  const TFixture fixture(static_cast<int>(state.range(0)));
  QList<QByteArray> day;
  for (int venue = 0; venue < VenuesPerDay; ++venue) {
    for (int race = 0; race < RacesPerVenue; ++race)
      day.append(RaceRecord(RaceKey(2099, 0, venue, race), DistanceOf(race)));
  }
  for (auto _ : state) SaveDayPositions(day, fixture.Dir.path(), nullptr);
  SetCounters(state, fixture);
}

// Close: the day store's eight days of lines replace their stored versions.
void BM_SaveClosePositions(benchmark::State& state) {
  const TFixture fixture(static_cast<int>(state.range(0)));
  const TByteLines current = fixture.Lines.mid(fixture.Lines.size() - 8 * VenuesPerDay * RacesPerVenue);
  for (auto _ : state) SaveClosePositions(current, fixture.Dir.path(), nullptr);
  SetCounters(state, fixture);
}

BENCHMARK(BM_LoadPositions)->Arg(2)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePositions)->Arg(2)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDayPositions)->Arg(2)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveClosePositions)->Arg(2)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace
