#pragma once

// Running ravek-cli (RAVEK_CLI_PATH, given by the test's CMakeLists) on a start
// directory, and looking at the directory's files before and after.

#include "text/LineFile.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

struct TRun {
  int ExitCode = -1;  // -1 when the process crashed or did not finish
  QString Out;
  QString Err;
};

inline std::unique_ptr<QProcess> StartCli(const QString& appDir, const QStringList& args) {
  auto process = std::make_unique<QProcess>();
  process->start(QStringLiteral(RAVEK_CLI_PATH), QStringList{QStringLiteral("--app-dir"), appDir} + args);
  return process;
}

// Waits for a started run; one that does not end in time is killed.
inline TRun FinishCli(QProcess& process, int timeoutMs = 120000) {
  const bool finished = process.waitForFinished(timeoutMs);
  if (!finished) {
    process.kill();
    process.waitForFinished();
  }
  TRun run;
  run.ExitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.Out = QString::fromUtf8(process.readAllStandardOutput());
  run.Err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

inline TRun RunCli(const QString& appDir, const QStringList& args) {
  return FinishCli(*StartCli(appDir, args));
}

// The demo week that ends on Sunday 12 May 2024, and its download on Monday morning.
inline const QString DemoMonday = QStringLiteral("2024-05-13 10:00");

inline QStringList DemoFeedArgs(const QString& feed, const QString& seed = {}) {
  QStringList args{QStringLiteral("demo-feed"), feed, QStringLiteral("--end"), QStringLiteral("20240512")};
  if (!seed.isEmpty()) args << QStringLiteral("--seed") << seed;
  return args;
}

inline QStringList DownloadArgs(const QString& feed, const QString& now = DemoMonday) {
  return {QStringLiteral("download"), QStringLiteral("--feed"), feed, QStringLiteral("--now"), now};
}

// A start directory holding that week: the demo feed written into feed and downloaded.
inline void DownloadDemoWeek(const QString& start, const QString& feed, const QString& seed = {}) {
  QDir().mkpath(start);
  for (const QStringList& args : {DemoFeedArgs(feed, seed), DownloadArgs(feed)}) {
    const TRun run = RunCli(start, args);
    ASSERT_EQ(run.ExitCode, 0) << args.first().toStdString() << ": " << run.Err.toStdString();
  }
}

inline QByteArray FileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot read " << path.toStdString();
    return {};
  }
  return file.readAll();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// Every file below dir by relative path, with its bytes.
// SQLite's shared-memory index and journal beside the archive are its working
// files, which any reader may touch; the data is the database file itself.
inline QMap<QString, QByteArray> Snapshot(const QString& dir) {
  QMap<QString, QByteArray> files;
  QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    if (path.endsWith(QStringLiteral(".db-shm")) || path.endsWith(QStringLiteral(".db-wal"))) continue;
    files.insert(QDir(dir).relativeFilePath(path), FileBytes(path));
  }
  return files;
}

// Names of the files that differ between two snapshots, for a readable failure.
inline QStringList ChangedFiles(const QMap<QString, QByteArray>& before,
                                const QMap<QString, QByteArray>& after) {
  QStringList changed;
  for (auto it = before.cbegin(); it != before.cend(); ++it) {
    if (!after.contains(it.key())) {
      changed.append(it.key() + QStringLiteral(" (removed)"));
    } else if (after.value(it.key()) != it.value()) {
      changed.append(it.key());
    }
  }
  for (auto it = after.cbegin(); it != after.cend(); ++it) {
    if (!before.contains(it.key())) changed.append(it.key() + QStringLiteral(" (new)"));
  }
  return changed;
}

inline void CopyTree(const QString& from, const QString& to) {
  QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString target = QDir(to).filePath(QDir(from).relativeFilePath(path));
    QDir().mkpath(QFileInfo(target).path());
    ASSERT_TRUE(QFile::copy(path, target)) << target.toStdString();
  }
}

// A small tmpfs mounted on dir while the object lives, for full-disk cases.
// Mounting needs root: where it fails, Mounted() is false and the case skips.
class TSmallDisk {
public:
  TSmallDisk(const QString& dir, const QString& size) : FDir(dir) {
    FMounted = QProcess::execute(QStringLiteral("mount"),
                                 {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                  QStringLiteral("size=") + size, QStringLiteral("tmpfs"), dir}) == 0;
  }
  ~TSmallDisk() {
    if (FMounted) QProcess::execute(QStringLiteral("umount"), {FDir});
  }
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;

  bool Mounted() const { return FMounted; }

private:
  QString FDir;
  bool FMounted = false;
};
