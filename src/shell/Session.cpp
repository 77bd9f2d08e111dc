#include "shell/Session.h"

#include "race/CorrectedTimeExport.h"
#include "store/DayStoreLoader.h"
#include "text/Errors.h"

#include <QScopeGuard>

#include <algorithm>

TSession::TSession(const QString& startDir, TJVLink& link, const TClock& clock, TDownloadObserver& observer,
                   QObject* parent)
    : QObject(parent),
      FShell(startDir),
      FLink(link),
      FDownload(link, clock, FShell.DayStore, FShell.DataDir, observer) {}

TSession::~TSession() = default;

bool TSession::FormShow() {
  const bool close = FDownload.FormShow();
  FShell.ResultsEnabled = FShell.DataFilesPresent();
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
    result = FDownload.RtsDlExecute();
  }
  FShell.ResultsEnabled = result.ResultsEnabled;
  if (result.FilesWritten) emit StoreReloaded();
  return result;
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

TRaceState& TSession::OpenRace(const QByteArray& raceLine) {
  FOpenRaces.push_back(std::make_unique<TRaceState>(FShell.DayStore, raceLine, FShell.Settings));
  return *FOpenRaces.back();
}

void TSession::CloseRace(TRaceState& race) {
  const auto it =
      std::find_if(FOpenRaces.begin(), FOpenRaces.end(),
                   [&race](const std::unique_ptr<TRaceState>& open) { return open.get() == &race; });
  if (it == FOpenRaces.end()) return;
  // Taken out first: the notices below may close further windows.
  const std::unique_ptr<TRaceState> closing = std::move(*it);
  FOpenRaces.erase(it);
  closing->WriteBack(FShell.DayStore);
  const bool pay = closing->Ticker.On();
  emit SummaryReplaced(closing->RaceKey);
  if (pay != FShell.Settings.Pay) {
    FShell.Settings.Pay = pay;
    emit SettingsChanged();
  }
}

QString TSession::ExportRace(TRaceState& race) {
  if (!race.ConvertedTimeEnabled())
    throw TConvertError(QStringLiteral("直線コースのレースは補正タイムを出力できません: %1")
                            .arg(QString::fromLatin1(race.RaceKey)));
  race.PutPositionLine();
  const TSettings settings = ExportSettings();
  ExportCorrectedTimes(race.HorseList, true, settings);
  return ExportFilePath(race.PositionLine, settings.TargetDir);
}

TExportAllResult TSession::ExportAll() {
  return ExportAllRaces(FShell.DayStore.RaceLines, ExportSettings());
}

TSettings TSession::ExportSettings() const {
  TSettings settings = FShell.Settings;
  settings.TargetDir = ResolveTargetDir(settings.TargetDir, FShell.DataDir);
  return settings;
}

TPositionSaveResult TSession::Close(TProgressObserver* observer) {
  return FShell.Close(observer);
}
