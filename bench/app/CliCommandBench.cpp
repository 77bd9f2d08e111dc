// Whole ravek-cli runs over a start directory holding 20 years of stored
// positions: wall time per process and each process's peak resident memory.
#include "demo/DemoService.h"
#include "position/PassingOrderConverter.h"
#include "position/PositionFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
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
const char* const MainRace = "2024051205020611";

QString In(const QString& dir, const QString& name) {
  return QDir(dir).filePath(name);
}

// Runs the program with its output thrown away; returns its peak resident set in MB.
double RunCli(const QStringList& args, benchmark::State& state) {
  std::vector<QByteArray> bytes{QByteArrayLiteral(RAVEK_CLI_PATH)};
  for (const QString& arg : args) bytes.push_back(arg.toUtf8());
  std::vector<char*> argv;
  for (QByteArray& arg : bytes) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    state.SkipWithError("cannot start ravek-cli");
    return 0;
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("ravek-cli failed");
  return double(usage.ru_maxrss) / 1024.0;
}

// The start directory: Position.dat with 20 years of the demo's racing before
// the week, the demo week as a feed, and the week downloaded once.
class TBenchStart {
public:
  static TBenchStart& Instance() {
    static TBenchStart start;
    return start;
  }

  QString Dir() const { return In(FRoot.path(), QStringLiteral("start")); }
  const QString& History() const { return FHistory; }
  QString Feed() const { return In(FRoot.path(), QStringLiteral("feed")); }

  // Data as it was before the download: the stored history only.
  void ResetData() const {
    const QString data = In(Dir(), QStringLiteral("Data"));
    QDir(data).removeRecursively();
    QDir().mkpath(data);
    QFile::copy(FHistory, In(data, QStringLiteral("Position.dat")));
  }

  QStringList DownloadArgs() const {
    return {QStringLiteral("--app-dir"), Dir(),  QStringLiteral("download"),
            QStringLiteral("--feed"),    Feed(), QStringLiteral("--now"),
            QString::fromLatin1(Now)};
  }

private:
  TBenchStart() {
    FHistory = In(FRoot.path(), QStringLiteral("history.dat"));
    // Built in a child of its own: the program is started with this process's
    // memory as its own starting point, which would hide its real peak.
    const pid_t pid = fork();
    if (pid == 0) {
      const QDate last = LastRacingDay.addDays(-9);
      const TByteLines records = TDemoService(1).RaceHistory(last.addYears(-HistoryYears), last);
      TByteLines lines = SplitLines(TPassingOrderConverter::ConvertRaces(records));
      std::sort(lines.begin(), lines.end());
      TPositionFile::SavePositions(lines, FHistory);
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    TDemoService(1).WriteFeed(Feed(), LastRacingDay, 8);
    ResetData();
  }

  QTemporaryDir FRoot;
  QString FHistory;
};

void Report(benchmark::State& state, double peakMb) {
  state.counters["peak_MB"] = peakMb;
  // The floor of peak_MB: the program starts as a copy of this process.
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  state.counters["bench_self_MB"] = double(self.ru_maxrss) / 1024.0;
  state.counters["history_MB"] =
      double(QFileInfo(TBenchStart::Instance().History()).size()) / (1024.0 * 1024.0);
}

void BM_CliDownloadDemoWeek(benchmark::State& state) {
  TBenchStart& start = TBenchStart::Instance();
  double peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    start.ResetData();
    state.ResumeTiming();
    peak = std::max(peak, RunCli(start.DownloadArgs(), state));
  }
  Report(state, peak);
}

void RunShowing(benchmark::State& state, const QStringList& command) {
  TBenchStart& start = TBenchStart::Instance();
  if (!QFile::exists(In(start.Dir(), QStringLiteral("Data/RaceData.dat")))) {
    start.ResetData();
    RunCli(start.DownloadArgs(), state);
  }
  QStringList args{QStringLiteral("--app-dir"), start.Dir()};
  args += command;
  double peak = 0;
  for (auto _ : state) peak = std::max(peak, RunCli(args, state));
  Report(state, peak);
}

void BM_CliDay(benchmark::State& state) {
  RunShowing(state, {QStringLiteral("day"), QStringLiteral("--mode"), QStringLiteral("3c")});
}

void BM_CliRace(benchmark::State& state) {
  RunShowing(state, {QStringLiteral("race"), QString::fromLatin1(MainRace)});
}

void BM_CliRaceJson(benchmark::State& state) {
  RunShowing(state, {QStringLiteral("race"), QString::fromLatin1(MainRace), QStringLiteral("--json")});
}

BENCHMARK(BM_CliDownloadDemoWeek)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CliDay)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CliRace)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CliRaceJson)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
