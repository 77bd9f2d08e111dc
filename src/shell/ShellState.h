#pragma once

#include "link/Download.h"
#include "position/PositionSave.h"
#include "settings/Settings.h"
#include "shell/SettingsFile.h"
#include "store/DayStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The state the main window owns from creation to destruction, without the
// window: both front ends drive it. Every data file is addressed by its path in
// DataDir; the process's current directory is never changed.
class TShellState {
public:
  static inline const QString DataDirName = QStringLiteral("Data");
  static inline const QString CannotCreateDirectory = QStringLiteral("Cannot create Directory");

  // Start-up: settles AppDir (startDir, which stands for the current directory
  // at start) and DataDir, refreshes Position.bak, reads the settings file and
  // sets ResultsEnabled. When "Data" cannot be created, StartMessage holds
  // CannotCreateDirectory and DataDir is AppDir.
  explicit TShellState(const QString& startDir);

  TShellState(const TShellState&) = delete;
  TShellState& operator=(const TShellState&) = delete;

  QString AppDir;
  QString DataDir;
  QString SoftwareId = QString::fromLatin1(SoftwareIdText);
  TSettings Settings;
  TDayStore DayStore;
  bool ResultsEnabled = false;  // the results command
  QString StartMessage;         // empty when start-up had nothing to report

  // The data directory of a start directory: its "Data" folder (made when
  // create is set and it is missing), else the start directory itself.
  static QString SettleDataDir(const QString& appDir, bool create);

  // RaceData.dat and UmaData.dat present in DataDir, as one set.
  bool DataFilesPresent() const;

  // Close of the main window: the position save, then the settings write.
  // An error from the position save (TFileError) passes to the caller before
  // the settings are written, as a failed close leaves the window open. The
  // result's Message, when not empty, is for the user.
  TPositionSaveResult Close(TProgressObserver* observer);

  // The two halves of Close, for a front end that runs them at different moments.
  TPositionSaveResult SavePositionsAtClose(TProgressObserver* observer);
  void WriteSettings() const;

  // The current position line of every race of the day store, in its order;
  // a race without position data gives an empty line.
  TByteLines CurrentPositionLines() const;

private:
  TSettingsFile FSettingsFile;
};

// The twelve section labels, from their comma text.
QStringList MakeCornerNames();

// Copies Position.dat over Position.bak in dataDir unless that would replace the
// backup by a smaller file or by one that does not read whole. Returns true
// when the backup was written; a failed copy leaves the old backup whole and
// *message (when given) says why. When Position.dat is damaged, *message (when given)
// tells the user what was found and what the backup still holds. When it
// lacks races the whole backup holds, they are added to Position.dat, the
// backup is left as it is and *message says so.
bool BackUpPositionFile(const QString& dataDir, QString* message = nullptr);
