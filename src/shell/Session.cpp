#include "shell/Session.h"

#include "archive/ArchivedStore.h"
#include "race/CorrectedTimeExport.h"
#include "records/DateKey.h"
#include "records/RaceRecord.h"
#include "records/RecordLayout.h"
#include "store/DayStoreLoader.h"
#include "store/RaceSummary.h"
#include "text/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

using namespace Qt::StringLiterals;

TSession::TSession(const QString& startDir, TJVLink& link, const TClock& clock, TDownloadObserver& observer,
                   QObject* parent)
    : QObject(parent),
      FShell(startDir),
      FLink(link),
      FDownload(link, clock, FShell.DayStore, FShell.DataDir, observer) {}

TSession::~TSession() {
  {
    const std::lock_guard lock(FCheckMutex);
    if (FChecking != nullptr) FChecking->Interrupt();
  }
  if (FChecker.joinable()) FChecker.join();
}

void TSession::CheckArchiveInBackground() {
  if (FChecker.joinable() || !HasArchive()) return;
  const QString path = ArchivePath(FShell.DataDir);
  FChecker = std::thread([this, path] {
    QString problems;
    try {
      TArchive archive(path, TArchive::TAccess::Read);
      {
        const std::lock_guard lock(FCheckMutex);
        FChecking = &archive;
      }
      const auto done = qScopeGuard([this] {
        const std::lock_guard lock(FCheckMutex);
        FChecking = nullptr;
      });
      problems = archive.Check();
    } catch (const TDataError& error) {
      problems = error.Message();
    } catch (const TRavekError&) {
      // Stopped, or not readable now: nothing found to be damaged.
    }
    if (problems.isEmpty()) return;
    QMetaObject::invokeMethod(
        this, [this, problems] { emit ArchiveSetAside(SetArchiveAside(problems)); }, Qt::QueuedConnection);
  });
}

QString TSession::SetArchiveAside(const QString& problems) {
  FReader.reset();
  try {
    const QString aside = TArchive::SetAside(ArchivePath(FShell.DataDir));
    return u"アーカイブが壊れていたため %1 に移しました（%2）。控えから戻すには ravek-cli restore を実行します。"_s
        .arg(QDir::toNativeSeparators(aside), problems.section(u'\n', 0, 0));
  } catch (const TFileError& error) {
    return error.Message();
  }
}

bool TSession::StartUp() {
  const bool close = FDownload.StartUp();
  FShell.ResultsEnabled = FShell.DataFilesPresent();
  FArchiveNotice = PrepareArchive();
  JoinArchivedDays();
  emit StoreReloaded();
  return close;
}

bool TSession::LoadStore() {
  const bool loaded = LoadDayStore(FShell.DayStore, FShell.DataDir);
  FShell.ResultsEnabled = FShell.DataFilesPresent();
  JoinArchivedDays();
  emit StoreReloaded();
  return loaded;
}

TDownloadResult TSession::RunDownload() {
  if (FDownload.IsBusy()) return {};
  TDownloadResult result;
  {
    emit BusyChanged(true);
    // Idle again also when the download throws.
    const auto idle = qScopeGuard([this] { emit BusyChanged(false); });
    result = FDownload.Run();
  }
  FShell.ResultsEnabled = result.ResultsEnabled;
  if (result.FilesWritten) {
    // After the data files are committed: a stop before this is made good at the next start.
    try {
      AddToArchive(FShell.DataDir, RecordsOfStore(FShell.DayStore));
    } catch (const TRavekError& error) {
      result.ArchiveFailed = true;
      result.Messages.append(error.Message());
    }
    JoinArchivedDays();
    emit StoreReloaded();
  }
  return result;
}

QString TSession::PrepareArchive() {
  const QString path = ArchivePath(FShell.DataDir);
  QString notice;
  // What does not even open is set aside now; the whole file is checked in the background.
  if (QFileInfo::exists(path)) {
    try {
      TArchive(path, TArchive::TAccess::Read).RacingDays();
    } catch (const TDataError& error) {
      notice = SetArchiveAside(error.Message());
    } catch (const TFileError& error) {
      // Not damage (a full disk, no rights): the file stays, the user is told.
      return error.Message();
    }
  }
  const TDayStore& store = FShell.DayStore;
  if (store.RaceDates.isEmpty()) return notice;
  try {
    bool lacking = !QFileInfo::exists(path);
    if (!lacking) {
      const TByteLines have =
          TArchive(path, TArchive::TAccess::Read).RacingDays(store.RaceDates.first(), store.RaceDates.last());
      for (const QByteArray& date : store.RaceDates) lacking = lacking || !have.contains(date);
    }
    if (lacking) AddToArchive(FShell.DataDir, RecordsOfStore(store));
  } catch (const TRavekError& error) {
    notice += (notice.isEmpty() ? QString() : u"\n"_s) + error.Message();
  }
  return notice;
}

void TSession::SetSettings(const TSettings& settings) {
  if (settings == FShell.Settings) return;
  FShell.Settings = settings;
  emit SettingsChanged();
}

void TSession::ReplaceStore(TDayStore store) {
  FShell.DayStore = std::move(store);
  emit StoreReloaded();
}

void TSession::SetEightColours(bool eight) {
  if (FShell.Settings.Display == eight) return;
  FShell.Settings.Display = eight;
  emit SettingsChanged();
}

void TSession::SetWindowPosition(const QPoint& position) {
  FShell.Settings.X = position.x();
  FShell.Settings.Y = position.y();
}

void TSession::WriteSettings() const {
  FShell.WriteSettings();
}

TOpenRace* TSession::OpenRace(const QByteArray& raceLine) {
  FOpenRaces.push_back(std::make_unique<TOpenRace>(FShell.DayStore, raceLine, FShell.Settings));
  TOpenRace* race = FOpenRaces.back().get();
  emit RaceOpened(race);
  return race;
}

void TSession::CloseRace(TOpenRace* race) {
  const auto it = std::find_if(FOpenRaces.begin(), FOpenRaces.end(),
                               [race](const std::unique_ptr<TOpenRace>& open) { return open.get() == race; });
  if (it == FOpenRaces.end()) return;
  emit RaceClosing(race);
  // Taken out first: the notices below may close further windows.
  const std::unique_ptr<TOpenRace> closing = std::move(*it);
  FOpenRaces.erase(it);
  TakeBack(closing->State());
  const bool pay = closing->State().Ticker.On();
  emit SummaryReplaced(closing->State().RaceKey);
  if (pay != FShell.Settings.Pay) {
    FShell.Settings.Pay = pay;
    emit SettingsChanged();
  }
}

void TSession::TakeBack(const TRaceState& race) {
  TDayStore& store = FShell.DayStore;
  // The position file's lines follow the correction, for the archive's readers.
  if (race.PositionLine.size() >= KeyField::RaceKeyWidth) {
    const QByteArray key = race.PositionLine.left(KeyField::RaceKeyWidth);
    const auto it = std::lower_bound(store.PosLines.begin(), store.PosLines.end(), key);
    if (it != store.PosLines.end() && it->startsWith(key))
      *it = race.PositionLine;
    else
      store.PosLines.insert(it, race.PositionLine);
  }
  for (TRaceEntry& entry : store.Races) {
    if (entry.RaceLine != race.RaceLine) continue;
    entry.PositionLine = race.PositionLine;
    const QByteArray summary = BuildRaceSummary(store, entry);
    const QByteArrayView name = TRaceSummary(summary).RaceKey();
    for (QByteArray& line : store.RaceSummaries) {
      if (TRaceSummary(line).RaceKey() == name) {
        line = summary;
        break;
      }
    }
    return;
  }
}

QString TSession::ExportRace(TOpenRace& race) {
  return race.Export(ExportSettings());
}

TExportAllResult TSession::ExportAll() {
  // The downloaded week's races; archived days shown since stay as they were exported.
  TRaceRecord race;
  QList<TRaceEntry> week;
  for (const TRaceEntry& entry : std::as_const(FShell.DayStore.Races))
    if (FWeekDates.contains(race.RaceDate(entry.RaceLine))) week.append(entry);
  return ExportAllRaces(week, ExportSettings());
}

void TSession::JoinArchivedDays() {
  TDayStore& store = FShell.DayStore;
  FWeekDates = store.RaceDates;
  FReader.reset();
  if (!HasArchive()) return;
  try {
    TByteLines dates = store.RaceDates + Reader()->RacingDays();
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    store.RaceDates = dates;
  } catch (const TRavekError& error) {
    // The week shows as before; start-up has told of the archive.
    if (FArchiveNotice.isEmpty()) FArchiveNotice = error.Message();
  }
}

bool TSession::HasArchive() const {
  return QFileInfo::exists(ArchivePath(FShell.DataDir));
}

TArchive* TSession::Reader() {
  if (!FReader) FReader = std::make_unique<TArchive>(ArchivePath(FShell.DataDir), TArchive::TAccess::Read);
  return FReader.get();
}

bool TSession::LoadArchivedDay(const QByteArray& date) {
  TDayStore& store = FShell.DayStore;
  TRaceRecord race;
  for (const TRaceEntry& entry : std::as_const(store.Races))
    if (race.RaceDate(entry.RaceLine) == date) return true;
  if (!HasArchive()) return false;
  const TDayStore day = ArchivedStore(Reader()->DayRecords(date, date), store.PosLines, store.CornerNames);
  if (day.Races.isEmpty()) return false;
  store.Races += day.Races;
  store.RaceSummaries += day.RaceSummaries;
  store.PayLines += day.PayLines;
  return true;
}

QByteArray TSession::RaceLineOf(const QByteArray& raceKey) {
  if (!LoadArchivedDay(raceKey.left(8))) return {};
  TRaceRecord race;
  for (const TRaceEntry& entry : std::as_const(FShell.DayStore.Races))
    if (race.RaceKey(entry.RaceLine) == raceKey) return entry.RaceLine;
  return {};
}

QList<TNameMatch> TSession::FindNames(const QString& part, bool jockeys, int limit) {
  if (!HasArchive()) return {};
  return jockeys ? Reader()->FindJockeys(part, limit) : Reader()->FindHorses(part, limit);
}

QList<TRunRow> TSession::History(const QString& name, bool jockey) {
  if (!HasArchive()) return {};
  TArchive& archive = *Reader();
  return HistoryRows(archive, jockey ? archive.JockeyRuns(name) : archive.HorseRuns(name),
                     FShell.DayStore.PosLines, FShell.Settings);
}

QSettings& TSession::DesktopState() {
  if (!FDesktopState)
    FDesktopState =
        std::make_unique<QSettings>(QDir(FShell.AppDir).filePath(StateFileName), QSettings::IniFormat);
  return *FDesktopState;
}

QList<TBiasGroup> TSession::Bias(const QByteArray& from, const QByteArray& to) {
  const TDayStore& store = FShell.DayStore;
  if (from == to || !HasArchive()) return RangeBias(store, from, to, FShell.Settings);
  // Days not shown yet are counted from the archive without joining the store.
  return RangeBias(ArchivedStore(Reader()->DayRecords(from, to), store.PosLines, store.CornerNames), from, to,
                   FShell.Settings);
}

std::pair<QByteArray, QByteArray> TSession::MeetingPeriod(const QByteArray& date) {
  if (!HasArchive()) return {date, date};
  // A meeting runs over a few weeks; its 回 does not outlast a season.
  const QDate day = DateOfKey(date);
  return ::MeetingPeriod(Reader()->DayList(DateKey(day.addDays(-92)), DateKey(day.addDays(92))), date);
}

QList<TWideTrip> TSession::FindWideTrips(const QByteArray& from, const QByteArray& to,
                                         const TWideCriteria& criteria) {
  if (!HasArchive()) return {};
  return WideTrips(*Reader(), from, to, FShell.DayStore.PosLines, FShell.Settings, criteria);
}

TSettings TSession::ExportSettings() const {
  TSettings settings = FShell.Settings;
  settings.TargetDir = ResolveTargetDir(settings.TargetDir, FShell.DataDir);
  return settings;
}

TPositionSaveResult TSession::Close(TProgressObserver* observer) {
  return FShell.Close(observer);
}
