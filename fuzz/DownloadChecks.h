#pragma once

#include "fuzz/FuzzSupport.h"
#include "link/Clock.h"
#include "link/Download.h"
#include "link/FeedLink.h"
#include "link/LinkSettings.h"
#include "position/PassingOrderConverter.h"
#include "position/PositionFile.h"
#include "records/RecordBuilder.h"
#include "records/RecordCheck.h"
#include "store/DayStore.h"
#include "store/DayStoreLoader.h"
#include "tests/support/QuietObserver.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

// A data directory holding one earlier race, so that a failed download has
// something to put back.
inline void WriteEarlierDay(const QString& dataDir) {
  TRecordBuilder race = TRecordBuilder::Race('7');
  race.SetRaceKey(2024, 505, 5, 2, 6, 1).SetDistance(1400).SetTrackCode(23).SetHorseCount(2);
  race.SetCorner(0, 1, "1,2").SetCorner(1, 2, "1-2").SetCorner(2, 3, "1-2").SetCorner(3, 4, "1,2");
  TByteLines horses;
  for (int n = 1; n <= 2; ++n) {
    TRecordBuilder horse = TRecordBuilder::Horse('7');
    horse.SetRaceKey(2024, 505, 5, 2, 6, 1).SetFrame(n).SetHorseNumber(n).SetArrival(n).SetFinalPlace(n);
    horse.SetTime(850 + n);
    horses.append(horse.Line());
  }
  TRecordBuilder pay = TRecordBuilder::Pay('1');
  pay.SetRaceKey(2024, 505, 5, 2, 6, 1).SetPayEntry(TBetType::Win, 0, {1}, 150, 1);
  pay.SetPayEntry(TBetType::Place, 0, {1}, 110, 1).SetPayEntry(TBetType::Place, 1, {2}, 120, 2);
  const QDir dir(dataDir);
  WriteLines(dir.filePath(QString::fromLatin1(DataFile::Race)), {race.Line()});
  WriteLines(dir.filePath(QString::fromLatin1(DataFile::Uma)), horses);
  WriteLines(dir.filePath(QString::fromLatin1(DataFile::Pay)), {pay.Line()});
  TPositionFile::SavePositions({TPassingOrderConverter::ConvertRace(race.Line())},
                               dir.filePath(QString::fromLatin1(DataFile::Position)));
}

// Input: the bytes of today's feed file, records one a line. A download that
// succeeds files every race, horse-race and payout record of the day into its
// data file unchanged; one that fails leaves every data file as it was.
inline TFailures CheckDownload(QByteArrayView data) {
  TFailures f;
  QTemporaryDir startDir;
  const QDir start(startDir.path());
  const QString dataDir = start.filePath(QStringLiteral("Data"));
  QDir().mkpath(dataDir);
  QDir().mkpath(start.filePath(QStringLiteral("Feed/0B12")));
  WriteFileAtomically(start.filePath(QStringLiteral("Feed/0B12/20240512.txt")), data);
  TLinkSettings linkSettings;
  linkSettings.FeedFolder = QStringLiteral("Feed");
  linkSettings.Save(startDir.path());
  WriteEarlierDay(dataDir);

  const char* const names[] = {DataFile::Race, DataFile::Uma, DataFile::Pay, DataFile::Position};
  QHash<QString, QByteArray> before;
  for (const char* name : names) {
    const QString path = QDir(dataDir).filePath(QString::fromLatin1(name));
    before.insert(path, FileBytes(path));
  }

  TFixedClock clock(QDateTime(QDate(2024, 5, 12), QTime(9, 0)));
  TFeedLink link(startDir.path(), clock);
  link.SetDemoWriter({});
  TDayStore store;
  TQuietObserver observer;
  TDownload download(link, clock, store, dataDir, observer);
  download.StartUp();
  TDownloadResult result;
  try {
    result = download.Run();
  } catch (const TRavekError& error) {
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
      f.Expect(FileBytes(it.key()) == it.value(),
               QStringLiteral("failed download (%1) changed %2").arg(error.Message(), it.key()));
    }
    return f;
  }
  f.Expect(
      result.DaysOpened == 1 && result.FilesWritten,
      QStringLiteral("opened %1 days, files written %2").arg(result.DaysOpened).arg(result.FilesWritten));

  // The feed's records as the link delivers them: any line break ends one.
  // The last of each race (and of each race and horse) counts.
  QHash<QByteArray, QByteArray> expected[3];
  bool unfileable = false;
  for (const QByteArray& record : SplitLines(data)) {
    const TRecordStream stream = StreamOf(record);
    if (stream == TRecordStream::None) continue;
    if (!RecordLineFault(record).isEmpty()) {
      unfileable = true;
      continue;
    }
    const QByteArray key = record.mid(11, 16);
    switch (stream) {
      case TRecordStream::Race:
        expected[0].insert(key, record);
        break;
      case TRecordStream::Horse:
        expected[1].insert(key + record.mid(28, 2), record);
        break;
      case TRecordStream::Pay:
        expected[2].insert(key, record);
        break;
      case TRecordStream::None:
        break;
    }
  }
  // A record that does not read back fails its day; so does a number field that
  // holds no number, which the model here does not foresee.
  const bool failed = !result.FailedDays.isEmpty();
  f.Expect(!unfileable || failed, QStringLiteral("a day with a record that cannot be filed is a failed day"));
  TByteLines filed[3];
  for (int stream = 0; stream < 3; ++stream) {
    const QString path = QDir(dataDir).filePath(QString::fromLatin1(names[stream]));
    filed[stream] = ReadLines(path);
    // Everything filed reads back: one sound record per race (and horse).
    QSet<QByteArray> keys;
    for (const QByteArray& line : std::as_const(filed[stream])) {
      f.Expect(RecordLineFault(line).isEmpty(),
               QStringLiteral("%1 holds a record that does not read back: %2").arg(path, Shown(line)));
      const QByteArray key = line.mid(11, 16) + (stream == 1 ? line.mid(28, 2) : QByteArray());
      f.Expect(!keys.contains(key), QStringLiteral("%1 holds %2 twice").arg(path, Shown(key)));
      keys.insert(key);
    }
    // A failed day files nothing of what it delivered; the day had nothing stored.
    if (failed) {
      for (const QByteArray& line : std::as_const(filed[stream]))
        if (line.mid(11, 8) == "20240512")
          f.Expect(false, QStringLiteral("a failed day filed %1").arg(Shown(line)));
      continue;
    }
    for (auto it = expected[stream].cbegin(); it != expected[stream].cend(); ++it) {
      if (!filed[stream].contains(it.value())) {
        f.Expect(false, QStringLiteral("record missing from %1: %2").arg(path, Shown(it.value())));
        break;
      }
    }
  }
  TDayStore reloaded;
  try {
    f.Expect(LoadDayStore(reloaded, dataDir), QStringLiteral("the files do not load"));
  } catch (const TRavekError& error) {
    f.Expect(false, QStringLiteral("the files do not load: %1").arg(error.Message()));
  }
  TByteLines positions;
  const TPositionLoad load = TPositionFile::LoadPositions(
      positions, QDir(dataDir).filePath(QString::fromLatin1(DataFile::Position)));
  f.Expect(!load.Damaged, QStringLiteral("the download left a damaged position file"));
  return f;
}
