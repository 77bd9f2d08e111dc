#pragma once

#include "CliArgs.h"
#include "CliContext.h"

// One function per command. Each returns the exit code; a request it cannot
// carry out throws TCliError, a data or file problem TDataError, TConvertError or TFileError.
int RunDemoFeed(const TCliArgs& args, const TCliOutput& output);
int RunDownload(const TCliArgs& args, const TCliOutput& output);
int RunDays(const TCliArgs& args, const TCliOutput& output);
int RunDay(const TCliArgs& args, const TCliOutput& output);
int RunBias(const TCliArgs& args, const TCliOutput& output);
int RunRace(const TCliArgs& args, const TCliOutput& output);
int RunExport(const TCliArgs& args, const TCliOutput& output);
int RunImport(const TCliArgs& args, const TCliOutput& output);
int RunHorse(const TCliArgs& args, const TCliOutput& output);
int RunJockey(const TCliArgs& args, const TCliOutput& output);
int RunWide(const TCliArgs& args, const TCliOutput& output);
int RunRestore(const TCliArgs& args, const TCliOutput& output);
