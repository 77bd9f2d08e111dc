#include "position/PositionSave.h"

#include "position/PassingOrderConverter.h"
#include "position/PositionFile.h"
#include "records/RecordBuilder.h"
#include "support/RecordLines.h"
#include "text/Errors.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TRecordingObserver : public TProgressObserver {
public:
  void ShowProgress(const QString& text) override { Events.append(text); }
  void CloseProgress() override { Events.append(QStringLiteral("<close>")); }
  QStringList Events;
};

QByteArray Race(const char* key, const char* order, char dataKind = '7') {
  TRecordBuilder builder = TRecordBuilder::Race(dataKind);
  builder.SetRaceKey(QByteArrayView(key)).SetDistance(1200).SetTrackCode(17).SetHorseCount(3);
  builder.SetCorner(0, 3, order).SetCorner(1, 4, order).SetCorner(2, 0, "").SetCorner(3, 0, "");
  return builder.Line();
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class PositionSaveTest : public testing::Test {
protected:
  QString Path(const char* name) const { return FDir.filePath(QString::fromLatin1(name)); }
  TByteLines Stored(const char* name = PositionFileName) const {
    TByteLines lines;
    TPositionFile::LoadPositions(lines, Path(name));
    return lines;
  }
  QTemporaryDir FDir;
  TRecordingObserver FObserver;
};

TEST_F(PositionSaveTest, DownloadAddsNewRacesSortedAndKeepsStoredOnes) {
  SaveDayPositions({Race("2024051205020802", "1,2,3")}, FDir.path(), &FObserver);
  const QByteArray firstLine = TPassingOrderConverter::ConvertRace(Race("2024051205020802", "1,2,3"));
  EXPECT_EQ(Stored(), TByteLines{firstLine});

  // A later download converts the race again with another order: the stored line stays.
  const QByteArray again = Race("2024051205020802", "3,2,1");
  const QByteArray earlier = Race("2024051205020801", "1-2-3");
  const QByteArray twiceFirst = Race("2024051205020803", "1=2");
  const QByteArray twiceSecond = Race("2024051205020803", "2=1");
  const TPositionSaveResult result = SaveDayPositions(
      {again, twiceFirst, earlier, twiceSecond, Race("2024051205020804", "1", '5')}, FDir.path(), nullptr);
  EXPECT_TRUE(result.Message.isEmpty());
  EXPECT_EQ(Stored(), (TByteLines{TPassingOrderConverter::ConvertRace(earlier), firstLine,
                                  TPassingOrderConverter::ConvertRace(twiceFirst)}));
  EXPECT_EQ(FObserver.Events, (QStringList{QStringLiteral("展開データ構築中・・・"),
                                           QStringLiteral("展開データ保存中・・・")}));
}

TEST_F(PositionSaveTest, DownloadWithoutRacesWritesTheStoredLines) {
  SaveDayPositions({}, FDir.path(), nullptr);
  EXPECT_TRUE(QFile::exists(Path(PositionFileName)));
  EXPECT_EQ(ReadAll(Path(PositionFileName)), QByteArray());
}

TEST_F(PositionSaveTest, ConversionErrorWritesNothing) {
  TPositionFile::SavePositions({"2024051205020801"}, Path(PositionFileName));
  const QByteArray before = ReadAll(Path(PositionFileName));
  QByteArray bad = Race("2024051205020803", "1");
  bad[981] = ' ';
  EXPECT_THROW(SaveDayPositions({Race("2024051205020802", "1"), bad}, FDir.path(), nullptr), TConvertError);
  EXPECT_EQ(ReadAll(Path(PositionFileName)), before);
}

TEST_F(PositionSaveTest, DamagedFileIsKeptBeforeItIsRewritten) {
  TPositionFile::SavePositions({"2024051205020801"}, Path(PositionFileName));
  QByteArray damaged = ReadAll(Path(PositionFileName)) + QByteArray::fromHex(Unspaced("10000000 20"));
  {
    QFile file(Path(PositionFileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged);
  }
  const TPositionSaveResult result = SaveDayPositions({Race("2024051205020802", "1")}, FDir.path(), nullptr);
  EXPECT_EQ(result.KeptDamaged, Path("Position.damaged"));
  EXPECT_FALSE(result.Message.isEmpty());
  EXPECT_EQ(ReadAll(Path("Position.damaged")), damaged);
  EXPECT_EQ(Stored(), (TByteLines{"2024051205020801",
                                  TPassingOrderConverter::ConvertRace(Race("2024051205020802", "1"))}));
  // The rewritten file is sound: the next save keeps no copy.
  EXPECT_TRUE(SaveDayPositions({}, FDir.path(), nullptr).KeptDamaged.isEmpty());
}

// A letter in a stored race's digits: that race alone is lost, then taken from
// the backup when it has the race, else converted again from the day.
TEST_F(PositionSaveTest, LetterInAStoredRaceCostsOnlyThatRace) {
  const QByteArray first = TPassingOrderConverter::ConvertRace(Race("2024051205020801", "1,2,3"));
  const QByteArray second = TPassingOrderConverter::ConvertRace(Race("2024051205020802", "1,2,3"));
  const QByteArray again = Race("2024051205020802", "3,2,1");
  for (const bool backup : {true, false}) {
    TPositionFile::SavePositions({first, second}, Path(PositionFileName));
    QFile::remove(Path(PositionBackupFileName));
    if (backup) {
      ASSERT_TRUE(QFile::copy(Path(PositionFileName), Path(PositionBackupFileName)));
    }
    QByteArray bytes = ReadAll(Path(PositionFileName));
    bytes[4 + first.size() / 2 + 4 + 15] = '\xf0';
    {
      QFile file(Path(PositionFileName));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(bytes);
    }
    const TPositionSaveResult result = SaveDayPositions({again}, FDir.path(), nullptr);
    EXPECT_TRUE(result.Message.contains(QStringLiteral("レース 2024051205020802")))
        << result.Message.toStdString();
    EXPECT_EQ(ReadAll(result.KeptDamaged), bytes);
    EXPECT_EQ(Stored(), (TByteLines{first, backup ? second : TPassingOrderConverter::ConvertRace(again)}))
        << backup;
  }
}

TEST_F(PositionSaveTest, CloseWritesLastPosAndReplacesOnlyStoredRaces) {
  TPositionFile::SavePositions({Unspaced("2024051205020801 11"), Unspaced("2024051205020802 22")},
                               Path(PositionFileName));
  const TByteLines current{Unspaced("2024051205020802 99"), "", Unspaced("2024051205020803 33")};
  const TPositionSaveResult result = SaveClosePositions(current, FDir.path(), &FObserver);
  EXPECT_TRUE(result.Message.isEmpty());
  EXPECT_EQ(Stored(LastPosFileName), current);
  EXPECT_EQ(Stored(), (TByteLines{Unspaced("2024051205020801 11"), Unspaced("2024051205020802 99")}));
  EXPECT_EQ(FObserver.Events,
            (QStringList{QStringLiteral("展開データ構築中・・・"), QStringLiteral("展開データ保存中・・・"),
                         QStringLiteral("<close>")}));
}

// Nothing edited: the stored file stays as it is, not rewritten byte for byte.
TEST_F(PositionSaveTest, CloseWithoutChangesLeavesThePositionFileAlone) {
  const TByteLines stored{Unspaced("2024051205020801 11")};
  TPositionFile::SavePositions(stored, Path(PositionFileName));
  QFile file(Path(PositionFileName));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-1);
  ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
  file.close();
  SaveClosePositions(stored, FDir.path(), nullptr);
  EXPECT_EQ(QFileInfo(Path(PositionFileName)).lastModified().toUTC().toSecsSinceEpoch(),
            old.toSecsSinceEpoch());
  EXPECT_EQ(Stored(LastPosFileName), stored);
}

TEST_F(PositionSaveTest, CloseWithoutPositionFileWritesAnEmptyOne) {
  SaveClosePositions({Unspaced("2024051205020801 11")}, FDir.path(), nullptr);
  EXPECT_EQ(ReadAll(Path(PositionFileName)), QByteArray());
  EXPECT_EQ(Stored(LastPosFileName), TByteLines{Unspaced("2024051205020801 11")});
}

TEST_F(PositionSaveTest, CloseRefusesAnUnstorableLineAndClosesThePanel) {
  TPositionFile::SavePositions({Unspaced("2024051205020801 11")}, Path(PositionFileName));
  const QByteArray before = ReadAll(Path(PositionFileName));
  EXPECT_THROW(SaveClosePositions({Unspaced("2024051205020801 x1")}, FDir.path(), &FObserver), TFileError);
  EXPECT_EQ(ReadAll(Path(PositionFileName)), before);
  EXPECT_FALSE(QFile::exists(Path(LastPosFileName)));
  ASSERT_FALSE(FObserver.Events.isEmpty());
  EXPECT_EQ(FObserver.Events.last(), QStringLiteral("<close>"));
}

}  // namespace
