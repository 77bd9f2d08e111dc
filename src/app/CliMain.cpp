#include "CliArgs.h"
#include "CliCommands.h"
#include "RecordsCommand.h"

#include "shell/DataLock.h"
#include "shell/ShellState.h"
#include "text/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

constexpr int ExitUsage = 1;
constexpr int ExitError = 2;
// How long a command waits for another run on the same data to finish.
constexpr int LockWaitMs = 5000;

// Commands that change the data: one at a time, and never beside the desktop program.
bool WritesData(const QString& command) {
  return command == u"download" || command == u"export" || command == u"import" || command == u"restore";
}

int Dispatch(const TCliArgs& args, const TCliOutput& output) {
  if (args.Command == u"demo-feed") return RunDemoFeed(args, output);
  if (args.Command == u"download") return RunDownload(args, output);
  if (args.Command == u"days") return RunDays(args, output);
  if (args.Command == u"day") return RunDay(args, output);
  if (args.Command == u"bias") return RunBias(args, output);
  if (args.Command == u"race") return RunRace(args, output);
  if (args.Command == u"export") return RunExport(args, output);
  if (args.Command == u"import") return RunImport(args, output);
  if (args.Command == u"horse") return RunHorse(args, output);
  if (args.Command == u"jockey") return RunJockey(args, output);
  if (args.Command == u"wide") return RunWide(args, output);
  if (args.Command == u"restore") return RunRestore(args, output);
  return RunRecordsCommand(args.Positional, output.OutFile(), output.ErrFile());
}

// A writer holds the data lock. Readers do not wait for it: the archive shows
// them its last committed state, and the data files are replaced whole.
int DispatchLocked(const TCliArgs& args, const TCliOutput& output) {
  if (args.Command == u"demo-feed" || args.Command == u"records") return Dispatch(args, output);
  if (!QFileInfo(args.AppDir).isDir())
    throw TCliError(u"開始フォルダ %1 がありません。"_s.arg(QDir::toNativeSeparators(args.AppDir)));
  if (!WritesData(args.Command)) return Dispatch(args, output);
  TDataLock lock(TShellState::SettleDataDir(args.AppDir, true));
  if (!lock.Lock(LockWaitMs)) throw TFileError(lock.FailureText());
  return Dispatch(args, output);
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QStringList arguments = app.arguments();
  arguments.removeFirst();
  const TCliOutput output(stdout, stderr);
  // Data, conversion and file errors end the command here, with their message.
  try {
    const TCliArgs args = ParseCliArgs(arguments, QDir::currentPath());
    if (args.Help) {
      output.Out(HelpText());
      return 0;
    }
    return DispatchLocked(args, output);
  } catch (const TCliError& error) {
    output.Err(u"ravek-cli: "_s + error.Message() + u'\n');
    if (error.Usage()) output.Err(u"ravek-cli --help で使い方を表示します。\n"_s);
    return ExitUsage;
  } catch (const TRavekError& error) {
    output.Err(u"ravek-cli: "_s + error.Message() + u'\n');
    return ExitError;
  }
}
