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

bool ReadsDataFiles(const QString& command) {
  return command == u"download" || command == u"days" || command == u"day" || command == u"race" ||
         command == u"export" || command == u"bias";
}

int Dispatch(const TCliArgs& args, const TCliOutput& output) {
  if (args.Command == u"demo-feed") return RunDemoFeed(args, output);
  if (args.Command == u"download") return RunDownload(args, output);
  if (args.Command == u"days") return RunDays(args, output);
  if (args.Command == u"day") return RunDay(args, output);
  if (args.Command == u"bias") return RunBias(args, output);
  if (args.Command == u"race") return RunRace(args, output);
  if (args.Command == u"export") return RunExport(args, output);
  return RunRecordsCommand(args.Positional, output.OutFile(), output.ErrFile());
}

// Every command on the data files sees, and leaves, one consistent set of them.
int DispatchLocked(const TCliArgs& args, const TCliOutput& output) {
  if (!ReadsDataFiles(args.Command)) return Dispatch(args, output);
  if (!QFileInfo(args.AppDir).isDir())
    throw TCliError(u"開始フォルダ %1 がありません。"_s.arg(QDir::toNativeSeparators(args.AppDir)));
  const bool writes = args.Command == u"download" || args.Command == u"export";
  TDataLock lock(TShellState::SettleDataDir(args.AppDir, writes));
  // A folder nobody can write to cannot be changed under a reader either.
  if (!lock.Lock(LockWaitMs) && (writes || !lock.CannotCreate())) throw TFileError(lock.FailureText());
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
