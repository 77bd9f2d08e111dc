#include "shell/DataLock.h"

#include <QDir>

TDataLock::TDataLock(const QString& dataDir)
    : FPath(QDir(dataDir).filePath(FileName)), FLock(QDir(dataDir).filePath(FileName)) {
  // A live owner holds the lock however long it runs (the desktop program for
  // hours); only a lock whose process is gone counts as stale.
  FLock.setStaleLockTime(0);
}

bool TDataLock::TryLock() {
  return FLock.tryLock(0);
}

bool TDataLock::Lock(int waitMs) {
  return FLock.tryLock(waitMs);
}

void TDataLock::Unlock() {
  FLock.unlock();
}

QString TDataLock::FailureText() const {
  const QString path = QDir::toNativeSeparators(FPath);
  if (FLock.error() == QLockFile::LockFailedError) {
    qint64 pid = 0;
    QString host;
    QString app;
    if (FLock.getLockInfo(&pid, &host, &app)) {
      return QStringLiteral("別の RAVEK (%1, プロセス %2) がデータを使っているため、終わるまで待ちましたが始められませんでした (%3)。")
          .arg(app)
          .arg(pid)
          .arg(path);
    }
    return QStringLiteral("別の RAVEK がデータを使っているため、始められませんでした (%1)。").arg(path);
  }
  return QStringLiteral("データフォルダのロックファイル %1 を作れません。").arg(path);
}
