#pragma once

#include "CliArgs.h"

#include "archive/Archive.h"
#include "link/Clock.h"
#include "link/DownloadObserver.h"
#include "link/FeedLink.h"
#include "shell/Session.h"

#include "settings/Settings.h"
#include "store/DayStore.h"

#include <QJsonValue>
#include <QString>

#include <cstdio>

// Standard output and standard error, written as UTF-8 and flushed at once so
// progress shows as it happens.
class TCliOutput {
public:
  TCliOutput(std::FILE* out, std::FILE* err) : FOut(out), FErr(err) {}
  void Out(const QString& text) const;
  void Err(const QString& text) const;
  void Json(const QJsonValue& value) const;
  std::FILE* OutFile() const { return FOut; }
  std::FILE* ErrFile() const { return FErr; }

private:
  std::FILE* FOut;
  std::FILE* FErr;
};

// A download as lines on standard error: one line per day with what it
// brought; when verbose, also the progress panel's texts and the link's
// status lines, as the desktop's panel and status bar show them.
class TCliDownloadObserver : public TDownloadObserver {
public:
  explicit TCliDownloadObserver(const TCliOutput& output) : FOutput(output) {}
  void SetVerbose(bool verbose) { FVerbose = verbose; }

  void ShowProgress(const QString& text) override;
  void CloseProgress() override {}
  void ShowStatus(const QString& text) override;
  void ProcessPendingEvents() override {}
  // Nobody is there to confirm, so the download goes on as if the dialog was closed.
  bool ShowMaintenance(const QString& text) override;
  void DayDone(const TDownloadDay& day) override;

private:
  const TCliOutput& FOutput;
  bool FVerbose = false;
  bool FMaintenanceShown = false;
};

// The program's session for a command that changes the data files: start-up
// of the start directory (its message on standard error), the feed link with
// the demo service handed to it, and the clock standing at `now`.
struct TCliSession {
  TCliSession(const QString& appDir, const QDateTime& now, const TCliOutput& output);

  TFixedClock Clock;
  TFeedLink Link;
  TCliDownloadObserver Observer;
  TSession Session;
};

// A start directory opened for reading only: the same data directory and
// settings as the program's start-up, but nothing is created or copied, so
// the commands that only show data leave every file as it was.
struct TReadOnlyStart {
  TSettings Settings;
  TDayStore Store;
};

// Throws TConvertError, TFileError or TDataError (a stopped download left the
// data files a mixed set) from loading the day store. Files that load but look
// damaged (empty, skipped lines, races without runners, no payouts) are named
// on standard error.
TReadOnlyStart OpenReadOnly(const QString& appDir);

// The days from `from` to `to` (yyyymmdd, both included; empty for no bound)
// out of the archive, each race with its position line from Position.dat. The
// week's data files serve instead when the range holds a day of theirs, as
// they did before the archive, or when there is no archive. Throws as OpenReadOnly.
TReadOnlyStart OpenDays(const QString& appDir, const QByteArray& from, const QByteArray& to);
// The racing days stored from `from` to `to`, ascending, with their meetings:
// the week files', and the archive's before and after them.
QList<TArchivedDay> StoredDays(const QString& appDir, const QByteArray& from = {}, const QByteArray& to = {});
// The data folder of a start directory, without making it.
QString ReadDataDir(const QString& appDir);

// The optional date argument (YYYYMMDD) of a command that shows one day;
// empty when none was given. Throws a usage TCliError for anything else.
QByteArray CheckedDateArgument(const TCliArgs& args);
// The same for an option's value (--from, --to).
QByteArray CheckedDateOption(const TCliArgs& args, const QString& option);
QByteArray CheckedDate(const QString& date);
// The stored day asked for, or the latest one when none was asked for. Throws
// TCliError when there is no such day or nothing is stored.
QByteArray ChosenDate(const QString& appDir, const QByteArray& wanted);

// The message when there is nothing to show.
QString NoDataMessage();
