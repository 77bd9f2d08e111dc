#include "CliArgs.h"
#include "CliCommands.h"
#include "RecordsCommand.h"

#include "text/Errors.h"

#include <QCoreApplication>
#include <QDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int ExitUsage = 1;
constexpr int ExitError = 2;

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

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QStringList arguments = app.arguments();
  arguments.removeFirst();
  const TCliOutput output(stdout, stderr);
  // Conversion and file errors end the command here, with their message.
  try {
    const TCliArgs args = ParseCliArgs(arguments, QDir::currentPath());
    if (args.Help) {
      output.Out(HelpText());
      return 0;
    }
    return Dispatch(args, output);
  } catch (const TCliError& error) {
    output.Err(u"ravek-cli: "_s + error.Message() + u'\n');
    if (error.Usage()) output.Err(u"ravek-cli --help で使い方を表示します。\n"_s);
    return ExitUsage;
  } catch (const TRavekError& error) {
    output.Err(u"ravek-cli: "_s + error.Message() + u'\n');
    return ExitError;
  }
}
