#include "race/DiagramEditor.h"
#include "race/RaceState.h"
#include "race/TrackDiagram.h"
#include "race/diagram/DiagramFixtures.h"
#include "settings/Settings.h"
#include "store/DayStore.h"
#include "support/RecordLines.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr char BenchKey[] = "2014052606021011";

// An 18-horse 2400 m race (13 sections) with every corner filled, opened as a
// race window opens it, the 3rd corner shown.
struct TEditedRace {
  TEditedRace() {
    QByteArray line = DiagramLine("06", 2400, "11", 18, {});
    for (int n = 1; n <= 18; ++n) {
      for (int g : {12, 11, 9, 8, 6, 5, 3, 2}) {
        const QByteArray entry = QByteArray::number((n + 1) / 2).rightJustified(2, '0') +
                                 QByteArray::number(2 - n % 2).rightJustified(2, '0');
        line.replace(26 + (n - 1) * 54 + 4 * (13 - g), 4, entry);
      }
    }
    const QByteArray raceLine = RaceBuilder(BenchKey).SetDistance(2400).SetHorseCount(18).Line();
    TRaceEntry entry{raceLine, line, {}};
    for (int n = 1; n <= 18; ++n) entry.Runners.append(MakeRunnerLine(BenchKey, n, n));
    Store.Races.append(entry);
    Store.CornerNames = {
        QStringLiteral("Ｓ前(1)"),   QStringLiteral("１コーナー(1)"), QStringLiteral("２コーナー(1)"),
        QStringLiteral("向正面(1)"), QStringLiteral("３コーナー(1)"), QStringLiteral("４コーナー(1)"),
        QStringLiteral("Ｓ前"),      QStringLiteral("１コーナー"),    QStringLiteral("２コーナー"),
        QStringLiteral("向正面"),    QStringLiteral("３コーナー"),    QStringLiteral("４コーナー")};
    State = std::make_unique<TRaceState>(Store, raceLine, Settings);
    Diagram.CreateMarkers(State->PositionLine);
    Diagram.SelectInitialTab(State->PositionLine, State->Tabs);
    Editor = std::make_unique<TDiagramEditor>(Diagram, State->PositionLine, [this] {
      State->FillSheet();
      ++Refills;
    });
  }

  TDayStore Store;
  TSettings Settings;
  std::unique_ptr<TRaceState> State;
  TTrackDiagram Diagram{ImageWidth, ImageHeight};
  std::unique_ptr<TDiagramEditor> Editor;
  int Refills = 0;
};

// A double click that takes a horse one lane out, then back: every finish
// writes the section and refills the sheet.
void BM_FinishEditLaneChange(benchmark::State& state) {
  TEditedRace race;
  bool out = false;
  for (auto _ : state) {
    out = !out;
    race.Diagram.Lanes[17] = out ? 5 : 1;
    benchmark::DoNotOptimize(race.Editor->FinishEdit());
  }
  state.counters["refills"] = benchmark::Counter(race.Refills, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FinishEditLaneChange);

// A whole drop: the drop itself, re-placing the marker, the write-back and
// the refilled sheet.
void BM_DropAndFinish(benchmark::State& state) {
  TEditedRace race;
  bool wide = false;
  for (auto _ : state) {
    wide = !wide;
    race.Editor->MoveMarker(18, wide ? 343 : 301, wide ? 284 : 280);
    benchmark::DoNotOptimize(race.Editor->EndDrag(18));
  }
  state.counters["refills"] = benchmark::Counter(race.Refills, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DropAndFinish);

// A finish that changes nothing (a refused drop): the write-back alone.
void BM_FinishEditUnchanged(benchmark::State& state) {
  TEditedRace race;
  race.Editor->FinishEdit();
  for (auto _ : state) benchmark::DoNotOptimize(race.Editor->FinishEdit());
}
BENCHMARK(BM_FinishEditUnchanged);

}  // namespace
