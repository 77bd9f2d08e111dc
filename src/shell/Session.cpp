#include "shell/Session.h"

#include "archive/ArchivedStore.h"
#include "race/CorrectedTimeExport.h"
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

TSession::~TSession() = default;

bool TSession::StartUp() {
  const bool close = FDownload.StartUp();
  FShell.ResultsEnabled = FShell.DataFilesPresent();
  FArchiveNotice = PrepareArchive();
  emit StoreReloaded();
  return close;
}

bool TSession::LoadStore() {
  const bool loaded = LoadDayStore(FShell.DayStore, FShell.DataDir);
  FShell.ResultsEnabled = FShell.DataFilesPresent();
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
    emit StoreReloaded();
  }
  return result;
}

QString TSession::PrepareArchive() {
  const QString path = ArchivePath(FShell.DataDir);
  QString notice;
  if (QFileInfo::exists(path)) {
    QString problems;
    try {
      problems = TArchive(path, TArchive::TAccess::Read).Check();
    } catch (const TDataError& error) {
      problems = error.Message();
    } catch (const TFileError& error) {
      // Not damage (a full disk, no rights): the file stays, the user is told.
      return error.Message();
    }
    if (!problems.isEmpty()) {
      try {
        const QString aside = TArchive::SetAside(path);
        notice =
            u"アーカイブが壊れていたため %1 に移しました（%2）。控えから戻すには ravek-cli restore を実行します。"_s
                .arg(QDir::toNativeSeparators(aside), problems.section(u'\n', 0, 0));
      } catch (const TFileError& error) {
        return error.Message();
      }
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
  return ExportAllRaces(FShell.DayStore.Races, ExportSettings());
}

TSettings TSession::ExportSettings() const {
  TSettings settings = FShell.Settings;
  settings.TargetDir = ResolveTargetDir(settings.TargetDir, FShell.DataDir);
  return settings;
}

TPositionSaveResult TSession::Close(TProgressObserver* observer) {
  return FShell.Close(observer);
}
