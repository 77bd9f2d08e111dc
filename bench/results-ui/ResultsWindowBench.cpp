// The results list on a demo week with a year of racing archived before it,
// offscreen: opening it with its first paint, stepping a day with every cell
// repainted, and stepping back into archived days never shown before.

#include "archive/ArchivedStore.h"
#include "demo/DemoService.h"
#include "desktop/results/ResultsGrid.h"
#include "desktop/results/ResultsWindow.h"
#include "link/FeedImport.h"
#include "link/FeedLink.h"
#include "shell/Session.h"
#include "support/QuietObserver.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// One application and one downloaded demo week for every benchmark.
struct TDemoDesk {
  int Argc = 1;
  char Name[16] = "bench";
  char* Argv[2] = {Name, nullptr};
  std::unique_ptr<QApplication> App;
  QTemporaryDir Dir;
  TFixedClock Clock{QDateTime(QDate(2024, 5, 12), QTime(9, 0))};
  std::unique_ptr<TFeedLink> Link;
  TQuietObserver Observer;
  std::unique_ptr<TSession> Session;
  std::unique_ptr<QMdiArea> Area;

  TDemoDesk() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    App = std::make_unique<QApplication>(Argc, Argv);
    QFont::insertSubstitution(u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s);
    QApplication::setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
    const QString dataDir = QDir(Dir.path()).filePath(TShellState::DataDirName);
    QDir().mkpath(dataDir);
    {
      const QString feed = QDir(Dir.path()).filePath(u"YearFeed"_s);
      TDemoService(1).WriteFeed(feed, QDate(2024, 5, 5), 366);
      TArchive archive(ArchivePath(dataDir), TArchive::TAccess::Write);
      ImportFeed(feed, {}, {}, archive, dataDir);
    }
    Link = std::make_unique<TFeedLink>(Dir.path(), Clock);
    Link->SetDemoWriter(DemoFeedWriter());
    Session = std::make_unique<TSession>(Dir.path(), *Link, Clock, Observer);
    Session->StartUp();
    Session->RunDownload();
    Area = std::make_unique<QMdiArea>();
    Area->resize(1000, 500);
    Area->show();
  }
};

TDemoDesk& Desk() {
  static TDemoDesk desk;
  return desk;
}

// Paints the whole window into an image, as the screen would get it.
QImage Paint(QWidget* window) {
  QImage image(window->size(), QImage::Format_RGB32);
  window->render(&image);
  return image;
}

void BM_OpenWithFirstPaint(benchmark::State& state) {
  TDemoDesk& desk = Desk();
  for (auto _ : state) {
    TResultsWindow* form = OpenResultsWindow(*desk.Session, desk.Area.get());
    benchmark::DoNotOptimize(Paint(form->parentWidget()));
    state.PauseTiming();
    if (form->List().VenueCount() != 3) state.SkipWithError("the latest demo day has not three venues");
    delete form->parentWidget();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenWithFirstPaint)->Unit(benchmark::kMillisecond);

void BM_StepDayAndRepaintEveryCell(benchmark::State& state) {
  TDemoDesk& desk = Desk();
  TResultsWindow* form = OpenResultsWindow(*desk.Session, desk.Area.get());
  bool back = true;
  for (auto _ : state) {
    // PageUp and PageDown in turn, so every step shows another day.
    QKeyEvent key(QEvent::KeyPress, back ? Qt::Key_PageUp : Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(form->Grid(), &key);
    back = !back;
    benchmark::DoNotOptimize(Paint(form->Grid()));
  }
  delete form->parentWidget();
}
BENCHMARK(BM_StepDayAndRepaintEveryCell)->Unit(benchmark::kMillisecond);

// Each step is a day not shown before: its races come out of the archive.
void BM_StepIntoArchivedDayAndPaint(benchmark::State& state) {
  TDemoDesk& desk = Desk();
  TResultsWindow* form = OpenResultsWindow(*desk.Session, desk.Area.get());
  const auto stepBack = [form] {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(form->Grid(), &key);
  };
  // Back past the days an earlier run brought, to the first it did not.
  qsizetype racesBefore = desk.Session->Store().Races.size();
  for (int day = 0; day < 400 && desk.Session->Store().Races.size() == racesBefore; ++day) stepBack();
  racesBefore = desk.Session->Store().Races.size();
  for (auto _ : state) {
    stepBack();
    benchmark::DoNotOptimize(Paint(form->Grid()));
  }
  const qsizetype races = desk.Session->Store().Races.size() - racesBefore;
  if (races < state.iterations() * 20) state.SkipWithError("the steps did not bring archived days");
  state.counters["races"] = double(races);
  delete form->parentWidget();
}
BENCHMARK(BM_StepIntoArchivedDayAndPaint)->Unit(benchmark::kMillisecond)->Iterations(60);

}  // namespace
