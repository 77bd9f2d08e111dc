#pragma once

#include <QLockFile>
#include <QString>

// One writer at a time on a data directory: every run of the program that
// reads or writes the data files holds this lock while it does. A lock left
// by a process that is gone, or naming none, is taken over.
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

  // Why the lock was not taken, for a message (Japanese): another run holds
  // it (naming its process), the lock file cannot be made, or one is in the
  // way that cannot be read or replaced.
  QString FailureText() const;
  // True when the lock could not be taken because the folder cannot hold a
  // lock file (no permission), rather than because another run holds it.
  bool CannotCreate() const { return !FBlocked && FLock.error() == QLockFile::PermissionError; }
  // True when another run holds the lock.
  bool HeldElsewhere() const { return !FBlocked && FLock.error() == QLockFile::LockFailedError; }

private:
  // Removes a lock file that names no process; false when one is there that
  // cannot be read or removed.
  bool ClearNamelessLock();

  QString FPath;
  QLockFile FLock;
  bool FBlocked = false;
};
