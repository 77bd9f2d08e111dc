#include "position/PositionSave.h"

#include "position/PassingOrderConverter.h"
#include "position/PositionFile.h"
#include "position/PositionMerge.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString BuildingText = QStringLiteral("展開データ構築中・・・");
const QString SavingText = QStringLiteral("展開データ保存中・・・");
constexpr int KeyLength = 16;

void Show(TProgressObserver* observer, const QString& text) {
  if (observer != nullptr) observer->ShowProgress(text);
}

// The stored lines, and what to say if the file's tail was damaged.
struct TStored {
  TByteLines Lines;
  TPositionLoad Load;
  qsizetype FromBackup = 0;
};

// The stored lines; when Position.dat is damaged and the start-up backup
// reads whole, the races only the backup still holds are taken from it (the
// lines read from Position.dat, which may carry later edits, stay first).
TStored LoadStored(const QString& path) {
  TStored stored;
  stored.Load = TPositionFile::LoadPositions(stored.Lines, path);
  if (stored.Load.Damaged) {
    const QString backupPath = QFileInfo(path).dir().filePath(QString::fromLatin1(PositionBackupFileName));
    TByteLines backup;
    if (QFileInfo::exists(backupPath) && !TPositionFile::LoadPositions(backup, backupPath).Damaged) {
      const qsizetype read = stored.Lines.size();
      stored.Lines = TPositionMerge::AddNewRaces(std::move(stored.Lines), backup, KeyLength);
      stored.FromBackup = stored.Lines.size() - read;
    }
  }
  return stored;
}

// A damaged file is kept aside before it is rewritten, so its unread bytes are not lost.
TPositionSaveResult KeepIfDamaged(const TStored& stored, const QString& path) {
  TPositionSaveResult result;
  if (!stored.Load.Damaged) return result;
  result.KeptDamaged = TPositionFile::KeepDamagedOriginal(path);
  result.Message = TPositionFile::DamagedMessage(path, result.KeptDamaged, stored.Load);
  result.FromBackup = stored.FromBackup;
  if (stored.FromBackup > 0)
    result.Message += QStringLiteral("読めなかったレースのうち %1 レースは %2 から補いました。")
                          .arg(stored.FromBackup)
                          .arg(QString::fromLatin1(PositionBackupFileName));
  return result;
}

}  // namespace

TPositionSaveResult SaveDayPositions(const QList<QByteArray>& raceRecords, const QString& dataDir,
                                     TProgressObserver* observer) {
  const QDir dir(dataDir);
  const QString positionPath = dir.filePath(QString::fromLatin1(PositionFileName));
  Show(observer, BuildingText);
  // A sound file takes the day's few races as bytes spliced in; anything
  // else goes through the lines (and the damage handling).
  TPackedPositions packed;
  const bool sound = packed.Read(positionPath);
  TStored stored = sound ? TStored{} : LoadStored(positionPath);
  const TByteLines added = SplitLines(TPassingOrderConverter::ConvertRaces(raceRecords));
  QByteArray bytes;
  if (sound && packed.AddNewRaces(added, bytes)) {
    packed.Close();
    Show(observer, SavingText);
    WriteFileAtomically(positionPath, bytes);
    return {};
  }
  packed.Close();
  if (sound) stored = LoadStored(positionPath);
  TByteLines merged = TPositionMerge::AddNewRaces(std::move(stored.Lines), added, KeyLength);
  Show(observer, SavingText);
  TPositionSaveResult result = KeepIfDamaged(stored, positionPath);
  TPositionFile::SavePositions(merged, positionPath);
  return result;
}

namespace {

// The current lines replace their stored versions: spliced into a sound file,
// else through the lines. `beforeWrite` runs once the stored lines are read
// and before Position.dat is written. Nothing is written when no stored line
// would change, unless `writeUnsound` and the file is missing or damaged.
template <class TBeforeWrite>
TPositionSaveResult ReplaceStored(const TByteLines& currentLines, const QString& positionPath,
                                  bool writeUnsound, TBeforeWrite beforeWrite) {
  TPackedPositions packed;
  if (packed.Read(positionPath)) {
    QByteArray bytes;
    bool changed = false;
    if (packed.ReplaceRaces(currentLines, bytes, changed)) {
      packed.Close();
      beforeWrite();
      if (changed) WriteFileAtomically(positionPath, bytes);
      return {};
    }
  }
  packed.Close();
  TStored stored = LoadStored(positionPath);
  beforeWrite();
  TByteLines merged = TPositionMerge::ReplaceRaces(stored.Lines, currentLines, KeyLength);
  // A sound file that no line changes would be rewritten byte for byte: leave it.
  const bool sound = QFileInfo::exists(positionPath) && !stored.Load.Damaged;
  if ((sound || !writeUnsound) && merged == stored.Lines) return {};
  TPositionSaveResult result = KeepIfDamaged(stored, positionPath);
  TPositionFile::SavePositions(merged, positionPath);
  return result;
}

}  // namespace

TPositionSaveResult SaveClosePositions(const TByteLines& currentLines, const QString& dataDir,
                                       TProgressObserver* observer) {
  // The panel closes however the save ends; the program is closing.
  struct TCloser {
    TProgressObserver* Observer;
    ~TCloser() {
      if (Observer != nullptr) Observer->CloseProgress();
    }
  } closer{observer};

  const QDir dir(dataDir);
  Show(observer, BuildingText);
  return ReplaceStored(currentLines, dir.filePath(QString::fromLatin1(PositionFileName)), true, [&] {
    Show(observer, SavingText);
    TPositionFile::SavePositions(currentLines, dir.filePath(QString::fromLatin1(LastPosFileName)));
  });
}

TPositionSaveResult SaveEditedPositions(const TByteLines& currentLines, const QString& dataDir) {
  return ReplaceStored(currentLines, QDir(dataDir).filePath(QString::fromLatin1(PositionFileName)), false,
                       [] {});
}
