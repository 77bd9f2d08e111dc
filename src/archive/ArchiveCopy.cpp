#include "archive/Archive.h"

#include "text/Errors.h"
#include "text/LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdio>

// The archive's copies: the backup beside it, a damaged file set aside, and
// the copy put back in its place.

using namespace Qt::StringLiterals;

namespace {

QString SqliteText(sqlite3* db, int code) {
  if (code == SQLITE_FULL) return u"ディスクがいっぱいです"_s;
  return QString::fromUtf8(db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

}  // namespace

void TArchive::BackupTo(const QString& fileName) {
  const QString aside = fileName + u".new"_s;
  QFile::remove(aside);
  sqlite3* copy = nullptr;
  int code = sqlite3_open_v2(QFile::encodeName(aside).constData(), &copy,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (code == SQLITE_OK) {
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", FDb, "main");
    if (backup == nullptr) {
      code = sqlite3_errcode(copy);
    } else {
      code = sqlite3_backup_step(backup, -1);
      const int finished = sqlite3_backup_finish(backup);
      code = code == SQLITE_DONE ? finished : code;
    }
  }
  // The copy is left in rollback mode: one file, nothing beside it.
  if (code == SQLITE_OK) code = sqlite3_exec(copy, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
  const QString text = code == SQLITE_OK ? QString() : SqliteText(copy, code);
  sqlite3_close(copy);
  if (code != SQLITE_OK) {
    QFile::remove(aside);
    throw TFileError(u"アーカイブの控え %1 を作れません: %2"_s.arg(QDir::toNativeSeparators(fileName), text));
  }
  if (std::rename(QFile::encodeName(aside).constData(), QFile::encodeName(fileName).constData()) != 0) {
    QFile::remove(aside);
    throw TFileError(u"アーカイブの控え %1 を置けません。"_s.arg(QDir::toNativeSeparators(fileName)));
  }
}

QString TArchive::SetAside(const QString& fileName) {
  const QFileInfo info(fileName);
  QString target = info.dir().filePath(info.completeBaseName() + u".damaged"_s);
  for (int n = 2; QFileInfo::exists(target); ++n)
    target = info.dir().filePath(info.completeBaseName() + u".damaged.%1"_s.arg(n));
  if (!QFile::rename(fileName, target))
    throw TFileError(u"壊れたアーカイブ %1 を移せません。"_s.arg(QDir::toNativeSeparators(fileName)));
  // The journal belongs to the damaged file; the index beside it is rebuilt by SQLite.
  QFile::rename(fileName + u"-wal"_s, target + u"-wal"_s);
  QFile::remove(fileName + u"-shm"_s);
  return target;
}

void TArchive::Restore(const QString& backupFile, const QString& fileName) {
  if (!QFileInfo::exists(backupFile))
    throw TDataError(u"アーカイブの控え %1 がありません。"_s.arg(QDir::toNativeSeparators(backupFile)));
  {
    TArchive backup(backupFile, TAccess::Read);
    const QString problems = backup.Check();
    if (!problems.isEmpty())
      throw TDataError(u"アーカイブの控え %1 も壊れています: %2"_s.arg(QDir::toNativeSeparators(backupFile),
                                                                       problems.section(u'\n', 0, 0)));
  }
  CopyFileAtomically(backupFile, fileName + u".restore"_s);
  // The old journal would be replayed into the copy: it goes before the copy takes the name.
  QFile::remove(fileName + u"-wal"_s);
  QFile::remove(fileName + u"-shm"_s);
  if (std::rename(QFile::encodeName(fileName + u".restore"_s).constData(),
                  QFile::encodeName(fileName).constData()) != 0)
    throw TFileError(u"アーカイブ %1 を置き換えられません。"_s.arg(QDir::toNativeSeparators(fileName)));
}
