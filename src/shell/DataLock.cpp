#include "shell/DataLock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

// A run writes its name into the lock file at once after making it; a file
// still without one after this long was left by a run that never did.
constexpr qint64 NamelessLockGraceMs = 1000;

}  // namespace

TDataLock::TDataLock(const QString& dataDir)
    : FPath(QDir(dataDir).filePath(FileName)), FLock(QDir(dataDir).filePath(FileName)) {
  // A live owner holds the lock however long it runs (the desktop program for
  // hours); only a lock whose process is gone counts as stale.
  FLock.setStaleLockTime(0);
}

bool TDataLock::TryLock() {
  FBlocked = !ClearNamelessLock();
  return !FBlocked && FLock.tryLock(0);
}

bool TDataLock::Lock(int waitMs) {
  FBlocked = !ClearNamelessLock();
  return !FBlocked && FLock.tryLock(waitMs);
}

// QLockFile takes over a lock whose process is gone, but one naming no process
// at all (left empty by a power cut, or garbage) would block every run for good.
bool TDataLock::ClearNamelessLock() {
  const QFileInfo info(FPath);
  if (!info.exists() && !info.isSymLink()) return true;
  if (!info.isFile()) return false;
  qint64 pid = 0;
  QString host;
  QString app;
  if (FLock.getLockInfo(&pid, &host, &app)) return true;
  if (qAbs(info.lastModified().msecsTo(QDateTime::currentDateTime())) < NamelessLockGraceMs) return true;
  // Two runs clearing it at once must not take away a lock the first has just made.
  QLockFile guard(FPath + QStringLiteral(".rmlock"));
  if (!guard.tryLock(NamelessLockGraceMs)) return true;
  const QFileInfo again(FPath);
  if (!again.exists()) return true;
  if (FLock.getLockInfo(&pid, &host, &app) || again.lastModified() != info.lastModified()) return true;
  return QFile::remove(FPath);
}

QString TDataLock::FailureText() const {
  const QString path = QDir::toNativeSeparators(FPath);
  if (FBlocked) {
    return QStringLiteral(
               "ロックファイル %1 を読むことも置き換えることもできません。"
               "ほかに RAVEK が動いていないことを確かめてから %1 を削除し、もう一度実行してください。")
        .arg(path);
  }
  if (FLock.error() == QLockFile::LockFailedError) {
    qint64 pid = 0;
    QString host;
    QString app;
    if (FLock.getLockInfo(&pid, &host, &app)) {
      return QStringLiteral(
                 "別の RAVEK (%1, プロセス %2) "
                 "がデータを使っているため、終わるまで待ちましたが始められませんでした (%3)。")
          .arg(app)
          .arg(pid)
          .arg(path);
    }
    return QStringLiteral("別の RAVEK がデータを使っているため、始められませんでした (%1)。").arg(path);
  }
  // QLockFile does not say why it could not write the file; a full disk is the common cause.
  if (FLock.error() != QLockFile::PermissionError &&
      QStorageInfo(QFileInfo(FPath).path()).bytesAvailable() == 0)
    return QStringLiteral("データフォルダのロックファイル %1 を作れません: ディスクの空き容量が足りません。")
        .arg(path);
  return QStringLiteral("データフォルダのロックファイル %1 を作れません。").arg(path);
}
