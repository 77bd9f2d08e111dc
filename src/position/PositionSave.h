#pragma once

#include "position/ProgressObserver.h"
#include "text/LineFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

inline constexpr char PositionFileName[] = "Position.dat";
inline constexpr char LastPosFileName[] = "LastPos.dat";
inline constexpr char PositionBackupFileName[] = "Position.bak";

// What a position save has to tell the user beyond success.
struct TPositionSaveResult {
  // Path of the damaged Position.dat kept aside before it was rewritten;
  // empty when the file was sound.
  QString KeptDamaged;
  // Text for the user (Japanese); empty when there is nothing to say.
  QString Message;
  // Races taken from Position.bak because the damaged Position.dat lacked them.
  qsizetype FromBackup = 0;
};

// One downloaded day: converts the day's race records (in download order) and
// adds the races not yet stored to Position.dat in dataDir, kept sorted. A
// conversion error (TConvertError) or a line that cannot be stored
// (TFileError) ends it before anything is written. The observer may be null;
// it is shown "展開データ構築中・・・" and "展開データ保存中・・・" but not closed,
// since the panel belongs to the download.
TPositionSaveResult SaveDayPositions(const QList<QByteArray>& raceRecords, const QString& dataDir,
                                     TProgressObserver* observer);

// Program close: writes the current lines (one per race of the race list, in
// its order; an empty line for a race without one) to LastPos.dat, then lets
// them replace their stored versions in Position.dat. Races Position.dat lacks
// are not added. The observer (may be null) is shown "展開データ構築中・・・",
// then "展開データ保存中・・・", and closed at the end, also on error.
TPositionSaveResult SaveClosePositions(const TByteLines& currentLines, const QString& dataDir,
                                       TProgressObserver* observer);

// Before the day store is rebuilt from the files: lets the current lines (which
// may carry edits made since the last load) replace their stored versions in
// Position.dat, so the rebuild does not lose them. Writes nothing when no
// stored line would change.
TPositionSaveResult SaveEditedPositions(const TByteLines& currentLines, const QString& dataDir);
