#pragma once

#include <QLockFile>
#include <QString>

// One writer at a time on a data directory: every run of the program that
// reads or writes the data files holds this lock while it does. A lock left
// by a process that is gone is taken over.
class TDataLock {
public:
  static inline const QString FileName = QStringLiteral("RAVEK.lock");
  // Shown by the desktop program when another copy works on the same start
  // directory; it then ends.
  static inline const QString AlreadyRunningText = QStringLiteral(
      "RAVEK はこのフォルダですでに起動しています。\n"
      "(RAVEK is already running on this folder.)");

  explicit TDataLock(const QString& dataDir);
  TDataLock(const TDataLock&) = delete;
  TDataLock& operator=(const TDataLock&) = delete;

  // One attempt, for the desktop program.
  bool TryLock();
  // Waits up to waitMs for another run to finish, for the command line.
  bool Lock(int waitMs);
  void Unlock();
  bool IsLocked() const { return FLock.isLocked(); }

  // Why the lock was not taken, for a message (Japanese): another run holds
  // it (naming its process), or the lock file cannot be made.
  QString FailureText() const;
  // True when the lock could not be taken because the folder cannot hold a
  // lock file (no permission), rather than because another run holds it.
  bool CannotCreate() const { return FLock.error() == QLockFile::PermissionError; }

private:
  QString FPath;
  QLockFile FLock;
};
