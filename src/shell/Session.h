#pragma once

#include "link/Clock.h"
#include "link/Download.h"
#include "link/JVLink.h"
#include "race/CorrectedTimeExport.h"
#include "race/OpenRace.h"
#include "race/RunHistory.h"
#include "results/TrackBias.h"
#include "shell/ShellState.h"

#include <QByteArray>
#include <QObject>
#include <QPoint>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The one place the windows share: it owns the main window's state (the day
// store, the settings fields, the open races' working copies), runs the
// commands that change it and tells every window what changed. It is the only
// writer: the rest of the program reads through const views. The command line
// drives the same object without an event loop.
class TSession : public QObject {
  Q_OBJECT

public:
  // Start-up of the main window: settles AppDir and DataDir, backs up
  // Position.bak and reads the settings file (TShellState). The link, the clock
  // and the observer must outlive the session.
  TSession(const QString& startDir, TJVLink& link, const TClock& clock, TDownloadObserver& observer,
           QObject* parent = nullptr);
  ~TSession() override;

  const TShellState& Shell() const { return FShell; }
  const TDayStore& Store() const { return FShell.DayStore; }
  const TSettings& Settings() const { return FShell.Settings; }
  TJVLink& Link() { return FLink; }
  const TDownload& Download() const { return FDownload; }

  bool IsBusy() const { return FDownload.IsBusy(); }
  // The results command: all three data files present.
  bool ResultsEnabled() const { return FShell.ResultsEnabled; }

  // Start-up, when the main window first shows: loads the day store, initialises the
  // link and probes for maintenance. Emits StoreReloaded. True when the user
  // confirmed the maintenance message, so the program is to close.
  bool StartUp();

  // Runs the archive's quick check on a thread of its own (it reads the whole
  // file: seconds for years of racing). A damaged archive is then set aside on
  // the session's thread and ArchiveSetAside tells why. Stopped and waited for
  // when the session ends. Needs an event loop.
  void CheckArchiveInBackground();

  // What start-up found of the archive for the user: a damaged one set aside,
  // or one that could not be written. Empty when all is well.
  const QString& ArchiveNotice() const { return FArchiveNotice; }

  // Loads the day store from the data files without the link, for a front end
  // that only shows or exports. Emits StoreReloaded. False when a data file is
  // missing. Throws TConvertError, TDataError or TFileError.
  bool LoadStore();

  // The download command. Emits BusyChanged(true) before and BusyChanged(false)
  // after, and StoreReloaded once when the store was rebuilt. Errors pass on
  // after the files and store are restored.
  TDownloadResult RunDownload();

  // A store built elsewhere replaces the loaded one (a front end that builds
  // its own, the tests' crafted days). Emits StoreReloaded.
  void ReplaceStore(TDayStore store);

  // The archive, for the windows that read it. The store's RaceDates hold
  // every archived day beside the week's; the races of an archived day come
  // into the store when it is first shown (LoadArchivedDay), and then open,
  // correct and save like the week's.
  bool HasArchive() const;
  // The days the data files hold (the last download's), ascending.
  const TByteLines& WeekDates() const { return FWeekDates; }
  // False when the archive does not hold the day. Throws TFileError,
  // TDataError or TConvertError; the store is then as it was.
  bool LoadArchivedDay(const QByteArray& date);
  // The race line of a stored or archived race, its day loaded; empty when none.
  QByteArray RaceLineOf(const QByteArray& raceKey);
  QList<TNameMatch> FindNames(const QString& part, bool jockeys, int limit);
  // Every run of the horse or jockey, with the figures as corrected so far.
  QList<TRunRow> History(const QString& name, bool jockey);
  QList<TWideTrip> FindWideTrips(const QByteArray& from, const QByteArray& to, const TWideCriteria& criteria);
  // The track bias of the days from `from` to `to`, archived days included,
  // with the corrections taken back so far.
  QList<TBiasGroup> Bias(const QByteArray& from, const QByteArray& to);
  // The first and last day of the meetings held on the date.
  std::pair<QByteArray, QByteArray> MeetingPeriod(const QByteArray& date);

  // What the desktop remembers between runs (the day and modes shown, the
  // race window's tab, where tool windows stood), in a file of its own beside
  // the settings file, whose keys stay as other programs read them.
  static inline const QString StateFileName = QStringLiteral("RavekState.ini");
  QSettings& DesktopState();

  // The settings dialog's OK: emits SettingsChanged when a field differs.
  void SetSettings(const TSettings& settings);
  // The results list's "スタート" pressed while down: eight frame colours or
  // three. Emits SettingsChanged when it differs.
  void SetEightColours(bool eight);
  // Where the main window stands, kept in the settings file. No notice: no
  // window shows it.
  void SetWindowPosition(const QPoint& position);
  // The settings file alone, for a close that gives up the position save.
  void WriteSettings() const;

  // A race of the store opened for correcting, owned here until CloseRace.
  // Emits RaceOpened. Throws TDataError when the race cannot be shown.
  TOpenRace* OpenRace(const QByteArray& raceLine);
  // Emits RaceClosing, puts the race's position line and rebuilt summary back
  // into the store, keeps the ticker's state in Pay, emits SummaryReplaced for
  // the race key, and destroys the race.
  void CloseRace(TOpenRace* race);
  int OpenRaceCount() const { return int(FOpenRaces.size()); }

  // The race's added times into its meeting file, replacing the written line.
  // Returns the file written. Throws TDataError, TFileError or TConvertError.
  QString ExportRace(TOpenRace& race);
  // Every race of the store but steeplechases and straight courses, leaving
  // lines already written. A race that cannot be exported is named in the
  // result's Failed; every other race is still written.
  TExportAllResult ExportAll();

  // Close of the main window: positions saved (with the observer's texts),
  // then the settings file written. A TFileError from the save passes on
  // before the settings are written.
  TPositionSaveResult Close(TProgressObserver* observer);

signals:
  void StoreReloaded();
  void SummaryReplaced(const QByteArray& raceKey);
  void SettingsChanged();
  void BusyChanged(bool busy);
  void RaceOpened(TOpenRace* race);
  void RaceClosing(TOpenRace* race);
  void ArchiveSetAside(const QString& message);

private:
  // Sets a damaged archive aside; the message for the user.
  QString SetArchiveAside(const QString& problems);
  // Sets an archive that does not open aside, and adds the store's days
  // it lacks (a first start, a download stopped before its addition).
  QString PrepareArchive();
  // The archive's days joined to the store's dates (after the store is loaded).
  void JoinArchivedDays();
  TArchive* Reader();
  // The settings with the export folder resolved against the data directory.
  TSettings ExportSettings() const;
  // The race's position line into its store entry, and the entry's summary rebuilt.
  void TakeBack(const TRaceState& race);

  TShellState FShell;
  QString FArchiveNotice;
  std::unique_ptr<TArchive> FReader;
  std::unique_ptr<QSettings> FDesktopState;
  std::thread FChecker;
  std::mutex FCheckMutex;
  TArchive* FChecking = nullptr;  // the checker's connection while it runs
  TByteLines FWeekDates;          // the dates the data files hold; export all keeps to them
  TJVLink& FLink;
  TDownload FDownload;
  std::vector<std::unique_ptr<TOpenRace>> FOpenRaces;
};
