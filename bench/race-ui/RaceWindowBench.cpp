// The race window offscreen: opening it up to its first paint, a marker drop
// through to the repainted sheet and diagram, and an undo or redo likewise.

#include "desktop/race/DiagramView.h"
#include "desktop/race/RaceGridView.h"
#include "desktop/race/RaceWindow.h"
#include "desktop/race/RaceWindowDemo.h"
#include "race/OpenRace.h"
#include "support/HorseWithRoom.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

// One application, demo week and area for the whole run.
struct TBench {
  TBench() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    App = std::make_unique<QApplication>(Argc, Argv);
    UseWindowFont();
    Demo = std::make_unique<TDemoSession>(Dir.path());
    RaceLine = FindRace(Demo->Session, [](const TRaceShape& race) {
      return !race.Straight() && !race.LeftHanded() && race.ThirdCorner() && race.Sections == 7;
    });
    Area = std::make_unique<QMdiArea>();
    Area->resize(900, 650);
    Area->show();
  }

  static TBench& Get() {
    static TBench bench;
    return bench;
  }

  void CloseAll() {
    Area->closeAllSubWindows();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
  }

  int Argc = 1;
  char Name[6] = "bench";
  char* Argv[2] = {Name, nullptr};
  std::unique_ptr<QApplication> App;
  QTemporaryDir Dir;
  std::unique_ptr<TDemoSession> Demo;
  QByteArray RaceLine;
  std::unique_ptr<QMdiArea> Area;
};

void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

void BM_OpenRaceWindow(benchmark::State& state) {
  TBench& bench = TBench::Get();
  for (auto _ : state) {
    TRaceWindow* window = OpenRaceWindow(bench.Demo->Session, bench.RaceLine, bench.Area.get());
    // Polish, layout and the first paint of every part.
    window->parentWidget()->repaint();
    QApplication::processEvents();
    benchmark::DoNotOptimize(window);
    state.PauseTiming();
    bench.CloseAll();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenRaceWindow)->Unit(benchmark::kMillisecond);

void BM_DropAndRepaint(benchmark::State& state) {
  TBench& bench = TBench::Get();
  TRaceWindow* window = OpenRaceWindow(bench.Demo->Session, bench.RaceLine, bench.Area.get());
  QApplication::processEvents();
  const TTrackDiagram& diagram = window->Race()->Diagram();
  int horse = 1;
  for (int n = 1; n <= window->Race()->State().N; ++n)
    if (diagram.Markers[n - 1].Visible) {
      horse = n;
      break;
    }
  // Back and forth between the rail and three lanes out at the horse's row.
  const auto pointAt = [&](int lane) {
    const double angle =
        (diagram.EndAngle - diagram.Direction * diagram.Rows[horse - 1]) * std::numbers::pi / 180;
    const double radius = 816 + 15 * lane;
    return QPoint(int(std::lround(diagram.ArcCentre.X + radius * std::cos(angle))),
                  int(std::lround(diagram.ArcCentre.Y + radius * std::sin(angle))));
  };
  const int base = diagram.Lanes[horse - 1];
  bool out = true;
  int changed = 0;
  for (auto _ : state) {
    const QByteArray before = window->Race()->State().PositionLine;
    const int target = out ? base + 3 : base;
    out = !out;
    const QPoint from = window->Image()->MarkerRect(horse).center();
    const QPoint to = pointAt(target);
    Mouse(window->Image(), QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(window->Image(), QEvent::MouseMove, from + QPoint(8, 0), Qt::LeftButton);
    Mouse(window->Image(), QEvent::MouseMove, to, Qt::LeftButton);
    Mouse(window->Image(), QEvent::MouseButtonRelease, to, Qt::NoButton);
    window->Grid()->repaint();
    window->Image()->repaint();
    changed += window->Race()->State().PositionLine != before;
  }
  // Every drop lands on a free spot and changes the line.
  state.counters["changed"] = benchmark::Counter(changed, benchmark::Counter::kAvgIterations);
  bench.CloseAll();
}
BENCHMARK(BM_DropAndRepaint)->Unit(benchmark::kMillisecond);

// Ctrl+Z and Ctrl+Y in turn after one edit: each step takes the line back or
// forth and repaints the sheet and diagram.
void BM_UndoRedoAndRepaint(benchmark::State& state) {
  TBench& bench = TBench::Get();
  TRaceWindow* window = OpenRaceWindow(bench.Demo->Session, bench.RaceLine, bench.Area.get());
  QApplication::processEvents();
  window->Race()->MoveOut(HorseWithRoom(window->Race()->Diagram()));
  bool undo = true;
  int changed = 0;
  for (auto _ : state) {
    const QByteArray before = window->Race()->State().PositionLine;
    (undo ? window->UndoAction() : window->RedoAction())->trigger();
    undo = !undo;
    window->Grid()->repaint();
    window->Image()->repaint();
    changed += window->Race()->State().PositionLine != before;
  }
  // Every step changes the line.
  state.counters["changed"] = benchmark::Counter(changed, benchmark::Counter::kAvgIterations);
  bench.CloseAll();
}
BENCHMARK(BM_UndoRedoAndRepaint)->Unit(benchmark::kMillisecond);

}  // namespace
