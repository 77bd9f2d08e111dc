#include "link/Download.h"

#include "link/DayStoreLoader.h"
#include "position/PositionSave.h"
#include "text/Errors.h"

#include <QDir>
#include <QFile>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int ReadBufferSize = 110000;

QString InDir(const QString& dataDir, const char* name) {
  return QDir(dataDir).filePath(QString::fromLatin1(name));
}

// A file's content before the download touched it, to put back when the
// download fails.
class TFileSnapshot {
public:
  explicit TFileSnapshot(QString path) : FPath(std::move(path)) {
    QFile file(FPath);
    FExisted = file.exists();
    if (!FExisted) return;
    if (!file.open(QIODevice::ReadOnly)) {
      throw TFileError(QStringLiteral("ファイル %1 を読み込めません: %2")
                           .arg(QDir::toNativeSeparators(FPath), file.errorString()));
    }
    FBytes = file.readAll();
  }

  void Restore() const {
    if (FExisted) {
      WriteFileAtomically(FPath, FBytes);
    } else {
      QFile::remove(FPath);
    }
  }

private:
  QString FPath;
  bool FExisted = false;
  QByteArray FBytes;
};

class TBusyGuard {
public:
  explicit TBusyGuard(bool& busy) : FBusy(busy) { FBusy = true; }
  ~TBusyGuard() { FBusy = false; }
  TBusyGuard(const TBusyGuard&) = delete;
  TBusyGuard& operator=(const TBusyGuard&) = delete;

private:
  bool& FBusy;
};

QByteArray DateKey(QDate date) {
  return date.toString(u"yyyyMMdd").toLatin1();
}

}  // namespace

QString MaintenanceText() {
  return QStringLiteral("\n\n") + QString(13, u' ') + u"サーバーメンテナンス中"_s + QString(4, u' ');
}

int DownloadDayCount(QTime timeOfDay) {
  // The day fraction times 2.5, rounded down, is 0 before 09:36.
  constexpr qint64 msPerDay = 24LL * 60 * 60 * 1000;
  const qint64 ms = timeOfDay.msecsSinceStartOfDay();
  return ms * 5 < msPerDay * 2 ? 8 : 7;
}

TRecordStream StreamOf(const QByteArray& record) {
  const QByteArrayView head = QByteArrayView(record).first(std::min<qsizetype>(3, record.size()));
  if (head == "RA6" || head == "RA7") return TRecordStream::Race;
  if (head == "SE6" || head == "SE7") return TRecordStream::Horse;
  if (head == "HR1") return TRecordStream::Pay;
  return TRecordStream::None;
}

TDownload::TDownload(TJVLink& link, const TClock& clock, TDayStore& store, QString dataDir,
                     TDownloadObserver& observer)
    : FLink(link), FClock(clock), FStore(store), FDataDir(std::move(dataDir)), FObserver(observer) {}

bool TDownload::FormShow() {
  LoadDayStore(FStore, FDataDir);
  FSoftwareId = QString::fromLatin1(SoftwareIdText);
  FLinkReady = FLink.JVInit(FSoftwareId) == 0;
  if (!FLinkReady) return false;

  const QDate today = FClock.Now().date();
  for (int i = 0; i < ProbeDays; ++i) {
    const int r = FLink.JVRTOpen(RealtimeResultsSpec, DateKey(today.addDays(-i)));
    JVClosing();
    // Once the user has chosen to close the program there is nothing left to ask.
    if (r == -504 && FObserver.ShowMaintenance(MaintenanceText())) return true;
  }
  return false;
}

TDownloadResult TDownload::RtsDlExecute() {
  TDownloadResult result;
  if (FBusy) return result;
  TBusyGuard busy(FBusy);
  result.Started = true;

  FObserver.ShowProgress(u"ダウンロードを開始します"_s);
  // Everything the download may change, so that a failure puts it all back.
  const TDayStore savedStore = FStore;
  std::vector<TFileSnapshot> savedFiles;
  try {
    for (const char* name : {DataFile::Race, DataFile::Uma, DataFile::Pay, DataFile::Position}) {
      savedFiles.emplace_back(InDir(FDataDir, name));
    }
  } catch (...) {
    FObserver.CloseProgress();
    throw;
  }

  FMessages.clear();
  bool dayOpen = false;
  try {
    // The rebuild reads positions back from Position.dat: edits made in race
    // windows since the last load go there first, or the rebuild would drop them.
    TByteLines currentLines;
    currentLines.reserve(FStore.RaceLines.size());
    for (const TRaceEntry& race : std::as_const(FStore.RaceLines)) {
      if (!race.HorseList.isEmpty() && !race.HorseList.first().isEmpty()) currentLines.append(race.HorseList.first());
    }
    const TPositionSaveResult edited = SaveEditedPositions(currentLines, FDataDir);
    if (!edited.Message.isEmpty()) FMessages.append(edited.Message);

    // PayLines stays: payouts of earlier downloads are kept ahead of the new ones.
    FStore.RaceLines.clear();
    FStore.UmaLines.clear();

    const QDateTime now = FClock.Now();
    const QDate today = now.date();
    result.DaysAsked = DownloadDayCount(now.time());
    FObserver.DayProgress(0, result.DaysAsked);
    for (int i = 0; i < result.DaysAsked; ++i) {
      const QDate day = today.addDays(-i);
      const int r = FLink.JVRTOpen(RealtimeResultsSpec, DateKey(day));
      dayOpen = true;
      if (r != 0) {
        FObserver.ShowStatus(u"JVRTOpenエラー:"_s + QString::number(r));
      } else {
        ++result.DaysOpened;
        FObserver.ShowProgress(day.toString(u"yyyy/MM/dd") + u"の成績をダウンロードしました"_s);
        FObserver.ShowStatus(u"JVRTOpen正常終了:0"_s);
        JVReading();
      }
      dayOpen = false;
      JVClosing();
      FObserver.DayProgress(i + 1, result.DaysAsked);
    }

    FObserver.ShowProgress(u"登録処理実行中・・・"_s);
    if (result.DaysOpened > 0) {
      WriteDataFiles();
      result.FilesWritten = true;
    }
    result.ResultsEnabled = DataFilesExist(FDataDir);
    LoadDayStore(FStore, FDataDir);
  } catch (...) {
    if (dayOpen) {
      try {
        JVClosing();
      } catch (...) {
        // The error that stopped the download is the one to report.
      }
    }
    for (const TFileSnapshot& file : std::as_const(savedFiles)) {
      try {
        file.Restore();
      } catch (...) {
        // Put back what can be put back; the first error is the one reported.
      }
    }
    FStore = savedStore;
    FObserver.CloseProgress();
    throw;
  }
  result.Messages = FMessages;
  FObserver.CloseProgress();
  return result;
}

void TDownload::JVReading() {
  QList<QByteArray> races;
  QList<QByteArray> horses;
  QList<QByteArray> pays;
  QString fileName;
  for (;;) {
    FObserver.ProcessPendingEvents();
    QByteArray buffer(1, '\0');
    fileName.clear();
    const int n = FLink.JVRead(buffer, ReadBufferSize, fileName);
    if (n > 0) {
      QByteArray record = buffer.left(n);
      switch (StreamOf(record)) {
        case TRecordStream::Race:
          races.append(std::move(record));
          break;
        case TRecordStream::Horse:
          horses.append(std::move(record));
          break;
        case TRecordStream::Pay:
          pays.append(std::move(record));
          break;
        case TRecordStream::None:
          break;
      }
      continue;
    }
    if (n == -1) continue;
    if (n == 0) {
      FObserver.ShowStatus(u"読み込み完了"_s);
    } else {
      FObserver.ShowStatus(u"JVReadエラー"_s + QString::number(n));
    }
    break;
  }

  // Each record is split on its own, so a record that lacks its CR LF does not
  // run into the next one.
  for (const QByteArray& record : std::as_const(horses)) FStore.UmaLines.append(SplitLines(record));
  for (const QByteArray& record : std::as_const(races)) {
    for (QByteArray& line : SplitLines(record)) FStore.RaceLines.append(TRaceEntry{std::move(line), {}});
  }
  for (const QByteArray& record : std::as_const(pays)) FStore.PayLines.append(SplitLines(record));

  // The race records as delivered, one each, so that a record of the wrong
  // length cannot shift the ones after it.
  const TPositionSaveResult saved = JVPosSave(races, FDataDir, &FObserver);
  if (!saved.Message.isEmpty()) FMessages.append(saved.Message);
}

void TDownload::JVClosing() {
  const int r = FLink.JVClose();
  FObserver.ShowStatus(r != 0 ? u"JVCloseエラー:"_s + QString::number(r) : u"JVClose正常終了:0"_s);
}

void TDownload::WriteDataFiles() {
  TByteLines raceLines;
  raceLines.reserve(FStore.RaceLines.size());
  for (const TRaceEntry& entry : std::as_const(FStore.RaceLines)) raceLines.append(entry.RaceLine);
  WriteLines(InDir(FDataDir, DataFile::Race), raceLines);
  WriteLines(InDir(FDataDir, DataFile::Uma), FStore.UmaLines);
  WriteLines(InDir(FDataDir, DataFile::Pay), FStore.PayLines);
}
