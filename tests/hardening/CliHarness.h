#pragma once

// Running ravek-cli on a start directory and looking at its files afterwards.

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

namespace hardening {

struct TRun {
  int ExitCode = -1;  // -1 when the process crashed or did not finish
  QString Out;
  QString Err;
};

inline TRun RunCli(const QString& appDir, const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral(RAVEK_CLI_PATH), QStringList{QStringLiteral("--app-dir"), appDir} + args);
  const bool finished = process.waitForFinished(120000);
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
inline QMap<QString, QByteArray> Snapshot(const QString& dir) {
  QMap<QString, QByteArray> files;
  QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
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

}  // namespace hardening
