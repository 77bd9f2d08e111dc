#include "results/DemoWeek.h"
#include "results/ResultsCells.h"

#include <benchmark/benchmark.h>

namespace {

void BM_ShowDayAndDrawAllCells(benchmark::State& state) {
  TDayStore store = DemoWeekStore(QDate(2024, 5, 12));
  TSettings settings;
  TResultsList list(store, settings);
  TResultsCells cells(list);
  list.Open();
  // The latest day with three venues.
  int day = list.DayIndex();
  while (day > 0 && list.VenueCount() < 3) list.ShowDay(--day);
  if (list.VenueCount() < 3) {
    state.SkipWithError("no three-venue day in the demo week");
    return;
  }
  const TDisplayMode mode = static_cast<TDisplayMode>(state.range(0));
  if (mode == TDisplayMode::Corner3) list.Modes().PressCorner3();
  if (mode == TDisplayMode::Corner4) list.Modes().PressCorner4();
  if (mode == TDisplayMode::Jockey) list.Modes().PressJockey();

  int boxes = 0;
  for (auto _ : state) {
    list.ShowDay(day);
    for (int column = 0; column < list.ColumnCount(); ++column) {
      for (int row = 0; row < TResultsList::RowCount; ++row) {
        const int left = column == 0 ? 0 : 26 + (column - 1) * 276;
        const TCellRect rect{left, row * 21, left + (column == 0 ? 25 : 275), row * 21 + 20};
        const TCellPaint paint = cells.DrawCell(column, row, rect, column == 0, false);
        boxes += int(paint.Boxes.size());
        benchmark::DoNotOptimize(cells.JockeyStatus(column, row));
      }
    }
  }
  state.counters["boxes_per_day"] = double(boxes) / double(state.iterations());
  state.counters["races"] = double(store.Races.size());
}

BENCHMARK(BM_ShowDayAndDrawAllCells)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace
