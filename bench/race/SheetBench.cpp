#include "race/RaceGrid.h"
#include "race/RaceSheet.h"
#include "support/RecordLines.h"

#include <benchmark/benchmark.h>

namespace {

constexpr char SheetKey[] = "2014052606021011";

// An 18-horse 2400 m race (13 sections), every corner filled, lanes 1 to 3.
TByteLines EighteenHorses() {
  QByteArray line = QByteArray(SheetKey) + "2400" + "11" + "18";
  for (int n = 1; n <= 18; ++n) {
    line += QByteArray::number((n + 1) / 2) + '0';
    for (int i = 0; i < 13; ++i)
      line += i % 3 == 0 ? QByteArray("0000")
                         : QByteArray::number((n + 1) / 2).rightJustified(2, '0') + "0" +
                               QByteArray::number(1 + n % 3);
  }
  TByteLines list{line};
  for (int n = 1; n <= 18; ++n) list.append(RunnerBuilder(SheetKey, n, n).SetTime(1440 + n * 3).Line());
  return list;
}

void BM_FillSheet(benchmark::State& state) {
  const TByteLines list = EighteenHorses();
  const TByteLines runners = list.mid(1);
  TRaceSheet sheet;
  for (auto _ : state) {
    sheet.FillSheet(runners, list[0], 2);
    benchmark::DoNotOptimize(sheet.ConvRanking);
  }
}
BENCHMARK(BM_FillSheet)->Unit(benchmark::kMicrosecond);

// The sheet refilled and every cell's look decided again, as after an edit.
void BM_FillSheetAndLooks(benchmark::State& state) {
  const TByteLines list = EighteenHorses();
  const TByteLines runners = list.mid(1);
  TRaceSheet sheet;
  for (auto _ : state) {
    sheet.FillSheet(runners, list[0], 2);
    for (int row = 0; row < TRaceSheet::RowCount; ++row)
      for (int column = 0; column < TRaceSheet::ColumnCount; ++column)
        benchmark::DoNotOptimize(RaceCellLook(sheet, list[0], column, row));
  }
}
BENCHMARK(BM_FillSheetAndLooks)->Unit(benchmark::kMicrosecond);

void BM_AddedTimeLine(benchmark::State& state) {
  const TByteLines list = EighteenHorses();
  const TByteLines runners = list.mid(1);
  for (auto _ : state) benchmark::DoNotOptimize(AddedTimeLine(list[0], runners, 2));
}
BENCHMARK(BM_AddedTimeLine)->Unit(benchmark::kMicrosecond);

}  // namespace
