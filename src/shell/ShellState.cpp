#include "shell/ShellState.h"

#include "position/PositionFile.h"
#include "position/PositionMerge.h"
#include "store/DayStoreLoader.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int RaceKeyLength = 16;

QString AbsoluteDir(const QString& dir) {
  return QDir::cleanPath(QDir(dir).absolutePath());
}

}  // namespace

QStringList MakeCornerNames() {
  return QStringLiteral(
             "Ｓ前(1),１コーナー(1),２コーナー(1),向正面(1),３コーナー(1),４コーナー(1),"
             "Ｓ前,１コーナー,２コーナー,向正面,３コーナー,４コーナー")
      .split(u',');
}

bool BackUpPositionFile(const QString& dataDir, QString* message) {
  const QDir dir(dataDir);
  const QFileInfo position(dir.filePath(QString::fromLatin1(PositionFileName)));
  const QFileInfo backup(dir.filePath(QString::fromLatin1(PositionBackupFileName)));
  if (!position.isFile()) return false;
  // A damaged file would take the good backup with it.
  TByteLines lines;
  TPositionLoad load;
  try {
    load = TPositionFile::LoadPositions(lines, position.filePath());
  } catch (const TFileError&) {
    return false;
  }
  if (load.Damaged) {
    if (message != nullptr) {
      TByteLines saved;
      bool backupWhole = false;
      try {
        backupWhole = backup.isFile() && !TPositionFile::LoadPositions(saved, backup.filePath()).Damaged;
      } catch (const TFileError&) {
      }
      *message = QStringLiteral("展開データファイル %1 は %2。")
                     .arg(QDir::toNativeSeparators(position.filePath()), TPositionFile::DamageText(load));
      *message +=
          backupWhole
              ? QStringLiteral("%1 は更新せずに残しました。次に保存するとき、%1 にしかないレースを補います。")
                    .arg(QString::fromLatin1(PositionBackupFileName))
              : QStringLiteral("%1 は更新しませんでした。").arg(QString::fromLatin1(PositionBackupFileName));
    }
    return false;
  }
  // A rewrite that failed may have left the file short or empty: the backup
  // must not follow it, and gives back the races the file lost.
  TByteLines saved;
  bool backupWhole = false;
  try {
    backupWhole = backup.isFile() && !TPositionFile::LoadPositions(saved, backup.filePath()).Damaged;
  } catch (const TFileError&) {
  }
  if (backupWhole && lines.size() < saved.size()) {
    const TByteLines merged = TPositionMerge::AddNewRaces(lines, saved, RaceKeyLength);
    if (merged.size() > lines.size()) {
      QString text =
          QStringLiteral("展開データファイル %1 には %2 にある %3 レースがありません。")
              .arg(QDir::toNativeSeparators(position.filePath()), QString::fromLatin1(PositionBackupFileName))
              .arg(merged.size() - lines.size());
      try {
        TPositionFile::SavePositions(merged, position.filePath());
        text += QStringLiteral("%1 から補いました。").arg(QString::fromLatin1(PositionBackupFileName));
      } catch (const TFileError& error) {
        text += error.Message() + QStringLiteral("。");
      }
      if (message != nullptr)
        *message =
            text +
            QStringLiteral("%1 は更新しませんでした。").arg(QString::fromLatin1(PositionBackupFileName));
      return false;
    }
  }
  if (backup.exists() && position.size() < backup.size()) return false;
  // A failed copy leaves the old backup whole; the user hears why it was not refreshed.
  try {
    CopyFileAtomically(position.filePath(), backup.filePath());
    return true;
  } catch (const TFileError& error) {
    if (message != nullptr)
      *message = error.Message() +
                 QStringLiteral("%1 は更新しませんでした。").arg(QString::fromLatin1(PositionBackupFileName));
    return false;
  }
}

TShellState::TShellState(const QString& startDir)
    : AppDir(AbsoluteDir(startDir)),
      FSettingsFile(QDir(AbsoluteDir(startDir)).filePath(TSettingsFile::FileName)) {
  // No data file is touched before this line settles where they live.
  DataDir = SettleDataDir(AppDir, true);
  if (DataDir == AppDir) StartMessage = CannotCreateDirectory;

  QString damage;
  BackUpPositionFile(DataDir, &damage);
  if (!damage.isEmpty()) StartMessage += (StartMessage.isEmpty() ? QString() : QStringLiteral("\n")) + damage;
  const QString mismatch = DataSetMismatch(DataDir);
  if (!mismatch.isEmpty())
    StartMessage += (StartMessage.isEmpty() ? QString() : QStringLiteral("\n")) + mismatch;
  Settings = FSettingsFile.Load(DataDir);
  DayStore.CornerNames = MakeCornerNames();
  ResultsEnabled = DataFilesPresent();
}

QString TShellState::SettleDataDir(const QString& appDir, bool create) {
  const QDir app(appDir);
  const QString dataPath = app.filePath(DataDirName);
  // Another run may make the folder at the same moment: what counts is that it is there.
  if (create && !QFileInfo(dataPath).isDir()) app.mkdir(DataDirName);
  return QFileInfo(dataPath).isDir() ? dataPath : appDir;
}

bool TShellState::DataFilesPresent() const {
  return DataFilesExist(DataDir) && DataSetMismatch(DataDir).isEmpty();
}

TByteLines TShellState::CurrentPositionLines() const {
  TByteLines lines;
  lines.reserve(DayStore.Races.size());
  for (const TRaceEntry& race : DayStore.Races) {
    lines.append(race.PositionLine);
  }
  return lines;
}

TPositionSaveResult TShellState::SavePositionsAtClose(TProgressObserver* observer) {
  return SaveClosePositions(CurrentPositionLines(), DataDir, observer);
}

TPositionSaveResult TShellState::Close(TProgressObserver* observer) {
  TPositionSaveResult result = SavePositionsAtClose(observer);
  WriteSettings();
  return result;
}

void TShellState::WriteSettings() const {
  FSettingsFile.Save(Settings);
}
