// The desktop program started offscreen on a start directory as 20 years of
// downloads leave it (the archive of every day, Position.dat) with the demo
// week in the data files: from process start until the main
// window has done its first showing (store loaded, link initialised, probe),
// then the close (positions saved, settings written). Each iteration is one
// whole process; the program reports its own shown and close times.
#include "demo/DemoService.h"
#include "link/LinkSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

const QDate LastRacingDay(2024, 5, 12);
const char* const Now = "2024-05-13 10:00";
constexpr int HistoryYears = 20;

QString In(const QString& dir, const QString& name) {
  return QDir(dir).filePath(name);
}

// Runs a program with standard output thrown away and standard error into
// errFile; false when it did not end with 0.
bool Run(const char* program, const QStringList& args, const QString& errFile) {
  std::vector<QByteArray> bytes{QByteArray(program)};
  for (const QString& arg : args) bytes.push_back(arg.toUtf8());
  std::vector<char*> argv;
  for (QByteArray& arg : bytes) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const QByteArray err = errFile.isEmpty() ? QByteArray("/dev/null") : errFile.toLocal8Bit();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, err.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class TBenchStart {
public:
  static TBenchStart& Instance() {
    static TBenchStart start;
    return start;
  }
  QString Dir() const { return In(FRoot.path(), QStringLiteral("start")); }
  QString ErrFile() const { return In(FRoot.path(), QStringLiteral("stderr.txt")); }
  bool Ready() const { return FReady; }

private:
  TBenchStart() {
    const QString data = In(Dir(), QStringLiteral("Data"));
    QDir().mkpath(data);
    // The years before the week, imported as the command line imports them.
    const QDate last = LastRacingDay.addDays(-9);
    const QString history = In(FRoot.path(), QStringLiteral("history"));
    const QString days = QString::number(last.addYears(-HistoryYears).daysTo(last) + 1);
    if (!Run(RAVEK_CLI_PATH,
             {QStringLiteral("demo-feed"), history, QStringLiteral("--end"), last.toString(u"yyyyMMdd"),
              QStringLiteral("--days"), days},
             {}) ||
        !Run(RAVEK_CLI_PATH, {QStringLiteral("--app-dir"), Dir(), QStringLiteral("import"), history}, {}))
      return;
    const QString feed = In(FRoot.path(), QStringLiteral("feed"));
    TDemoService(1).WriteFeed(feed, LastRacingDay, 8);
    // The program reads the prepared feed, so no run writes demo days.
    TLinkSettings link;
    link.FeedFolder = feed;
    link.Save(Dir());
    FReady = Run(RAVEK_CLI_PATH,
                 {QStringLiteral("--app-dir"), Dir(), QStringLiteral("download"), QStringLiteral("--now"),
                  QString::fromLatin1(Now)},
                 {});
  }

  QTemporaryDir FRoot;
  bool FReady = false;
};

double Reported(const QByteArray& text, const char* name) {
  const QRegularExpression pattern(QString::fromLatin1(name) + QStringLiteral("=(\\d+)"));
  const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(text));
  return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

void BM_DesktopStartShowClose(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  TBenchStart& start = TBenchStart::Instance();
  if (!start.Ready()) {
    state.SkipWithError("the start directory could not be prepared");
    return;
  }
  double shown = 0;
  double close = 0;
  for (auto _ : state) {
    if (!Run(RAVEK_PATH,
             {QStringLiteral("--app-dir"), start.Dir(), QStringLiteral("--now"), QString::fromLatin1(Now),
              QStringLiteral("--quit-after-show")},
             start.ErrFile())) {
      state.SkipWithError("ravek failed");
      break;
    }
    state.PauseTiming();
    QFile err(start.ErrFile());
    const QByteArray text = err.open(QIODevice::ReadOnly) ? err.readAll() : QByteArray();
    shown += Reported(text, "shown-ms");
    close += Reported(text, "close-ms");
    state.ResumeTiming();
  }
  // The program's own figures per run: start-up until shown, and the close.
  state.counters["shown_ms"] = benchmark::Counter(shown, benchmark::Counter::kAvgIterations);
  state.counters["close_ms"] = benchmark::Counter(close, benchmark::Counter::kAvgIterations);
  state.counters["history_MB"] =
      double(QFileInfo(In(In(start.Dir(), QStringLiteral("Data")), QStringLiteral("Position.dat"))).size()) /
      (1024.0 * 1024.0);
  state.counters["archive_MB"] =
      double(QFileInfo(In(In(start.Dir(), QStringLiteral("Data")), QStringLiteral("Archive.db"))).size()) /
      (1024.0 * 1024.0);
}

BENCHMARK(BM_DesktopStartShowClose)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
