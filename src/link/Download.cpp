#include "link/Download.h"
#include "records/DateKey.h"

#include "position/PositionSave.h"
#include "records/PayRecord.h"
#include "records/RecordCheck.h"
#include "records/RecordLayout.h"
#include "store/DayStoreLoader.h"
#include "text/Errors.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <filesystem>
#include <system_error>
#include <vector>

using namespace Qt::StringLiterals;

QString DownloadSummary(const TDownloadResult& result) {
  int days = 0, races = 0;
  QStringList failed;
  for (const TDownloadDay& day : result.Days) {
    if (!day.Failure.isEmpty()) failed.append(day.Date.toString(u"M/d"_s));
    if (day.Races > 0) ++days;
    races += day.Races;
  }
  QString text = days > 0 ? u"ダウンロードしました: %1日分 %2レース"_s.arg(days).arg(races)
                          : u"ダウンロードしました: 新しい成績はありません"_s;
  if (!failed.isEmpty()) text += u"　取得できなかった日: "_s + failed.join(u"、"_s);
  return text;
}

namespace {

constexpr int ReadBufferSize = 110000;
// A record file of the new set, written whole beside the one it replaces.
const QString PendingSuffix = QStringLiteral(".new");

QString InDir(const QString& dataDir, const char* name) {
  return QDir(dataDir).filePath(QString::fromLatin1(name));
}

// A file's content before the download touched it, to put back when the
// download fails after replacing it.
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

  // A file that still holds what it held is left alone: rewriting it could
  // only cost it (a full disk).
  void RestoreIfChanged() const {
    QFile file(FPath);
    if (!file.exists()) {
      if (FExisted) WriteFileAtomically(FPath, FBytes);
      return;
    }
    if (FExisted && file.open(QIODevice::ReadOnly) && file.readAll() == FBytes) return;
    file.close();
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

// Replaces a file by another of the same folder in one step.
void ReplaceFile(const QString& from, const QString& to) {
  std::error_code error;
  std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                          std::filesystem::path(to.toStdU16String()), error);
  if (error) {
    throw TFileError(QStringLiteral("ファイル %1 を置き換えられません: %2")
                         .arg(QDir::toNativeSeparators(to), QString::fromLocal8Bit(error.message())));
  }
}

TByteLines LinesIfAny(const QString& path) {
  return QFile::exists(path) ? ReadLines(path) : TByteLines();
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

bool TDownload::StartUp() {
  // Files a stopped download left mixed are not shown; start-up has said so,
  // and the next download replaces them.
  if (DataSetMismatch(FDataDir).isEmpty()) LoadDayStore(FStore, FDataDir);
  FSoftwareId = QString::fromLatin1(SoftwareIdText);
  FLinkReady = FLink.JVInit(FSoftwareId) == 0;
  if (!FLinkReady) return false;

  const QDate today = FClock.Now().date();
  for (int i = 0; i < ProbeDays; ++i) {
    const int r = FLink.JVRTOpen(RealtimeResultsKind, DateKey(today.addDays(-i)));
    CloseLink();
    // Once the user has chosen to close the program there is nothing left to ask.
    if (r == -504 && FObserver.ShowMaintenance(MaintenanceText())) return true;
  }
  return false;
}

TDownloadResult TDownload::Run() {
  TDownloadResult result;
  if (FBusy) return result;
  FBusy = true;
  const auto idle = qScopeGuard([this] { FBusy = false; });
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
  FMarkerWritten = false;
  bool dayOpen = false;
  const auto failed = [&result](QDate day, const QString& reason) {
    result.FailedDays.append(day.toString(u"yyyy/MM/dd") + u": "_s + reason);
  };
  try {
    // The rebuild reads positions back from Position.dat: edits made in race
    // windows since the last load go there first, or the rebuild would drop them.
    TByteLines currentLines;
    currentLines.reserve(FStore.Races.size());
    for (const TRaceEntry& race : std::as_const(FStore.Races)) {
      if (!race.PositionLine.isEmpty()) currentLines.append(race.PositionLine);
    }
    const TPositionSaveResult edited = SaveEditedPositions(currentLines, FDataDir);
    if (!edited.Message.isEmpty()) FMessages.append(edited.Message);

    // A day that fails keeps what these held for it.
    FStoredRaces = LinesIfAny(InDir(FDataDir, DataFile::Race));
    FStoredHorses = LinesIfAny(InDir(FDataDir, DataFile::Uma));

    // PayLines stays: payouts of earlier downloads are kept ahead of the new ones.
    FStore.Races.clear();
    FStore.UmaLines.clear();

    const QDateTime now = FClock.Now();
    const QDate today = now.date();
    result.DaysAsked = DownloadDayCount(now.time());
    FObserver.DayProgress(0, result.DaysAsked);
    for (int i = 0; i < result.DaysAsked; ++i) {
      const QDate day = today.addDays(-i);
      TDownloadDay outcome;
      outcome.Date = day;
      const int r = FLink.JVRTOpen(RealtimeResultsKind, DateKey(day));
      dayOpen = true;
      if (r != 0) {
        FObserver.ShowStatus(u"JVRTOpenエラー:"_s + QString::number(r));
        // -1 is a day without data; any other code says nothing about what the day holds.
        outcome.Racing = r != -1;
        if (r != -1) outcome.Failure = u"JVRTOpenエラー:"_s + QString::number(r);
      } else {
        ++result.DaysOpened;
        outcome.Racing = true;
        FObserver.ShowProgress(day.toString(u"yyyy/MM/dd") + u"の成績をダウンロードしました"_s);
        FObserver.ShowStatus(u"JVRTOpen正常終了:0"_s);
        outcome.Failure = ReadOpenDay(outcome.Races);
        if (outcome.Failure.isEmpty()) ++result.DaysRead;
      }
      if (!outcome.Failure.isEmpty()) {
        outcome.Races = 0;
        failed(day, outcome.Failure);
        KeepStoredDay(DateKey(day));
      }
      dayOpen = false;
      CloseLink();
      result.Days.append(outcome);
      FObserver.DayDone(outcome);
      FObserver.DayProgress(i + 1, result.DaysAsked);
    }

    FObserver.ShowProgress(u"登録処理実行中・・・"_s);
    if (result.DaysOpened > 0) {
      WriteDataFiles();
      result.FilesWritten = true;
    }
    const QString mismatch = DataSetMismatch(FDataDir);
    result.ResultsEnabled = DataFilesExist(FDataDir) && mismatch.isEmpty();
    if (mismatch.isEmpty()) {
      QStringList notes;
      LoadDayStore(FStore, FDataDir, &notes);
      FMessages.append(notes);
    } else {
      FMessages.append(mismatch);
    }
  } catch (...) {
    if (dayOpen) {
      try {
        CloseLink();
      } catch (...) {
        // The error that stopped the download is the one to report.
      }
    }
    for (const char* name : DataFile::SetFiles) QFile::remove(InDir(FDataDir, name) + PendingSuffix);
    bool restored = true;
    for (const TFileSnapshot& file : std::as_const(savedFiles)) {
      try {
        file.RestoreIfChanged();
      } catch (...) {
        // Put back what can be put back; the first error is the one reported.
        restored = false;
      }
    }
    // While a replaced file could not be put back the marker tells the loader.
    if (FMarkerWritten && restored) QFile::remove(InDir(FDataDir, DataFile::SetMarker));
    FStore = savedStore;
    FObserver.CloseProgress();
    throw;
  }
  result.Messages = FMessages;
  FObserver.CloseProgress();
  return result;
}

QString TDownload::ReadOpenDay(int& raceCount) {
  QList<QByteArray> races;
  TByteLines horses;
  TByteLines pays;
  QString fault;
  int faults = 0;
  QString fileName;
  for (;;) {
    FObserver.ProcessPendingEvents();
    QByteArray buffer(1, '\0');
    fileName.clear();
    const int n = FLink.JVRead(buffer, ReadBufferSize, fileName);
    if (n > 0) {
      // Any line break ends a record; each piece is judged by its own type.
      for (QByteArray& line :
           SplitLines(QByteArrayView(buffer).first(std::min<qsizetype>(n, buffer.size())))) {
        const TRecordStream stream = StreamOf(line);
        if (stream == TRecordStream::None) continue;
        QString why = RecordLineFault(line);
        if (why.isEmpty()) why = RecordFieldFault(line);
        if (!why.isEmpty()) {
          if (faults++ == 0) {
            const QByteArrayView key = ShownRaceKey(line);
            fault = key.isEmpty() ? why : why + u"（レース "_s + QString::fromLatin1(key) + u"）"_s;
          }
          continue;
        }
        switch (stream) {
          case TRecordStream::Race:
            races.append(std::move(line));
            break;
          case TRecordStream::Horse:
            horses.append(std::move(line));
            break;
          case TRecordStream::Pay:
            pays.append(std::move(line));
            break;
          case TRecordStream::None:
            break;
        }
      }
      continue;
    }
    if (n == -1) continue;
    if (n == 0) {
      FObserver.ShowStatus(u"読み込み完了"_s);
    } else {
      FObserver.ShowStatus(u"JVReadエラー"_s + QString::number(n));
      return u"JVReadエラー"_s + QString::number(n);
    }
    break;
  }
  // A record the program could not read back would spoil the day: it keeps
  // what was stored for it instead.
  if (faults > 0) {
    return faults == 1 ? fault : fault + u" ほか %1 件"_s.arg(faults - 1);
  }

  raceCount = int(LastOfEachRace(races).size());
  FStore.UmaLines.append(horses);
  for (QByteArray& line : races) FStore.Races.append(TRaceEntry{line, {}, {}});
  FStore.PayLines.append(pays);

  const TPositionSaveResult saved = SaveDayPositions(races, FDataDir, &FObserver);
  if (!saved.Message.isEmpty()) FMessages.append(saved.Message);
  return {};
}

void TDownload::KeepStoredDay(const QByteArray& dateKey) {
  const auto ofDay = [&dateKey](const QByteArray& line) {
    return RecordLineFault(line).isEmpty() && line.mid(KeyField::RaceKey, KeyField::DateWidth) == dateKey;
  };
  for (const QByteArray& line : std::as_const(FStoredRaces))
    if (ofDay(line)) FStore.Races.append(TRaceEntry{line, {}, {}});
  for (const QByteArray& line : std::as_const(FStoredHorses))
    if (ofDay(line)) FStore.UmaLines.append(line);
}

void TDownload::CloseLink() {
  const int r = FLink.JVClose();
  FObserver.ShowStatus(r != 0 ? u"JVCloseエラー:"_s + QString::number(r) : u"JVClose正常終了:0"_s);
}

void TDownload::WriteDataFiles() {
  TByteLines raceLines;
  raceLines.reserve(FStore.Races.size());
  for (const TRaceEntry& entry : std::as_const(FStore.Races)) raceLines.append(entry.RaceLine);
  // One record per race and per horse, the last delivered; every lookup takes that one.
  const TByteLines sets[] = {LastOfEachRace(raceLines), LastOfEachHorse(FStore.UmaLines),
                             LastOfEachRace(FStore.PayLines)};
  static_assert(std::size(sets) == std::size(DataFile::SetFiles));

  // The whole set is written aside first, so a full disk stops the download
  // before any file in place has changed. The marker lets the loader tell a
  // set that was stopped half way through the renames.
  QByteArray marker;
  for (std::size_t i = 0; i < std::size(sets); ++i) {
    const QString path = InDir(FDataDir, DataFile::SetFiles[i]);
    const QByteArray bytes = JoinLines(sets[i]);
    WriteFileAtomically(path + PendingSuffix, bytes);
    marker += QByteArray(DataFile::SetFiles[i]) + ' ' + FileDigest(path) + ' ' + BytesDigest(bytes) + "\r\n";
  }
  WriteFileAtomically(InDir(FDataDir, DataFile::SetMarker), marker);
  FMarkerWritten = true;
  for (const char* name : DataFile::SetFiles) {
    const QString path = InDir(FDataDir, name);
    ReplaceFile(path + PendingSuffix, path);
    FObserver.DataFileReplaced(QString::fromLatin1(name));
  }
  QFile::remove(InDir(FDataDir, DataFile::SetMarker));
}
