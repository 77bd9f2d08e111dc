#include "archive/ArchivedStore.h"
#include "demo/DemoService.h"
#include "link/FeedImport.h"
#include "position/PositionFile.h"
#include "race/RunHistory.h"
#include "records/RaceRecord.h"
#include "records/RunnerRecord.h"
#include "text/Errors.h"
#include "text/PlainText.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// Two demo weeks as a feed folder, imported once for the whole suite.
class ArchiveTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Base = new QTemporaryDir;
    Feed = Base->filePath(u"feed"_s);
    TDemoService(1).WriteFeed(Feed, QDate(2024, 5, 12), 14);
  }
  static void TearDownTestSuite() {
    delete Base;
    Base = nullptr;
  }
  // A data folder of its own with the feed imported from `from` to `to`.
  QString Imported(const QString& name, const QByteArray& from = {}, const QByteArray& to = {}) {
    const QString dataDir = Base->filePath(name);
    QDir().mkpath(dataDir);
    TArchive archive(ArchivePath(dataDir), TArchive::TAccess::Write);
    const TImportResult result = ImportFeed(Feed, from, to, archive, dataDir);
    EXPECT_TRUE(result.FailedDays.isEmpty()) << result.FailedDays.join(u'\n').toStdString();
    return dataDir;
  }
  static TArchiveRecords All(const QString& dataDir) {
    return TArchive(ArchivePath(dataDir), TArchive::TAccess::Read).DayRecords({}, {});
  }
  static inline QTemporaryDir* Base = nullptr;
  static inline QString Feed;
};

bool operator==(const TArchiveRecords& a, const TArchiveRecords& b) {
  return a.RaceLines == b.RaceLines && a.UmaLines == b.UmaLines && a.PayLines == b.PayLines;
}

// An import stopped after its first week and run again over everything, and
// a download's records added on top, give what one whole import gives: no
// race twice, and the record added last counts.
TEST_F(ArchiveTest, OverlappingAddsKeepOneRecordEachAndTheLaterWins) {
  const TArchiveRecords whole = All(Imported(u"whole"_s));
  ASSERT_EQ(TArchive(ArchivePath(Base->filePath(u"whole"_s)), TArchive::TAccess::Read).RacingDays().size(),
            4);
  const QString again = Imported(u"again"_s, {}, "20240505");
  EXPECT_EQ(TArchive(ArchivePath(again), TArchive::TAccess::Read).RacingDays(),
            TByteLines({"20240504", "20240505"}));
  Imported(u"again"_s);
  EXPECT_TRUE(All(again) == whole);

  // The week's store, as a download leaves it, added once more: nothing changes.
  const TDayStore week = ArchivedStore(whole, {}, {});
  AddToArchive(again, RecordsOfStore(week));
  EXPECT_TRUE(All(again) == whole);
  EXPECT_TRUE(All(again) == TArchive(ArchiveBackupPath(again), TArchive::TAccess::Read).DayRecords({}, {}));

  // A later record of one race, delivered with its runners, replaces it where it stands.
  TArchiveRecords later;
  later.RaceLines = {whole.RaceLines[5]};
  const QByteArray key = whole.RaceLines[5].mid(11, 16);
  for (const QByteArray& line : whole.UmaLines)
    if (line.mid(11, 16) == key) later.UmaLines.append(line);
  later.RaceLines[0].replace(32, 4, QByteArray("\x83\x65\x83\x58", 4));  // テス
  TArchive archive(ArchivePath(again), TArchive::TAccess::Write);
  EXPECT_EQ(archive.AddRecords(later), 1);
  const TArchiveRecords after = archive.DayRecords({}, {});
  ASSERT_EQ(after.RaceLines.size(), whole.RaceLines.size());
  EXPECT_TRUE(after.RaceLines[5] == later.RaceLines[0]);
  EXPECT_TRUE(after.UmaLines == whole.UmaLines);
}

TEST_F(ArchiveTest, NamesFoldAcrossKanaAndWidth) {
  const struct {
    QString Typed, Folded;
  } rows[] = {
      {u"ｶｾﾞﾉｵｰ"_s, u"カゼノオー"_s},
      {u"かぜのおー"_s, u"カゼノオー"_s},
      {u"カゼ ノ　オー"_s, u"カゼノオー"_s},
      {u"ＡＢＣ"_s, u"ABC"_s},
      {u"abc"_s, u"ABC"_s},
      {u"ゔ"_s, u"ヴ"_s},
  };
  for (const auto& row : rows) EXPECT_EQ(FoldedForSearch(row.Typed), row.Folded) << row.Typed.toStdString();

  const QString dataDir = Imported(u"names"_s);
  TArchive archive(ArchivePath(dataDir), TArchive::TAccess::Read);
  const QString name = TRunnerRecord().HorseName(All(dataDir).UmaLines[0]).trimmed();
  // The name typed in hiragana and in half-width katakana finds the horse.
  const QString hiragana = [&] {
    QString text = name;
    for (QChar& c : text)
      if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6) c = QChar(char16_t(c.unicode() - 0x60));
    return text;
  }();
  for (const QString& typed : {name, hiragana}) {
    const QList<TNameMatch> found = archive.FindHorses(typed, 10);
    ASSERT_FALSE(found.isEmpty()) << typed.toStdString();
    EXPECT_EQ(found.first().Name, name);
    EXPECT_EQ(found.first().Runs, archive.HorseRuns(name).size());
  }
}

// A reader sees the last committed state while a writer holds its
// transaction open, and does not wait for it.
TEST_F(ArchiveTest, ReaderGoesOnBesideAWriter) {
  const QString dataDir = Imported(u"reader"_s);
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(ArchivePath(dataDir)).constData(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE; DELETE FROM races; DELETE FROM days;", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  QElapsedTimer timer;
  timer.start();
  TArchive reader(ArchivePath(dataDir), TArchive::TAccess::Read);
  EXPECT_EQ(reader.RacingDays().size(), 4);
  EXPECT_FALSE(reader.DayRecords({}, {}).RaceLines.isEmpty());
  EXPECT_LT(timer.elapsed(), 1000);
  sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(writer);
}

// A damaged database says so, is set aside, and the copy brings it back.
TEST_F(ArchiveTest, DamagedArchiveIsSetAsideAndRestoredFromItsCopy) {
  const QString dataDir = Imported(u"damaged"_s);
  TArchive(ArchivePath(dataDir), TArchive::TAccess::Read).BackupTo(ArchiveBackupPath(dataDir));
  {
    QFile file(ArchivePath(dataDir));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(0);
    file.write(QByteArray(100, 'x'));
  }
  EXPECT_THROW(TArchive(ArchivePath(dataDir), TArchive::TAccess::Read).Check(), TDataError);
  const QString aside = TArchive::SetAside(ArchivePath(dataDir));
  EXPECT_TRUE(aside.endsWith(u"Archive.damaged"_s)) << aside.toStdString();
  EXPECT_FALSE(QFileInfo::exists(ArchivePath(dataDir)));
  TArchive::Restore(ArchiveBackupPath(dataDir), ArchivePath(dataDir));
  TArchive restored(ArchivePath(dataDir), TArchive::TAccess::Read);
  EXPECT_EQ(restored.Check(), QString());
  EXPECT_EQ(restored.RacingDays().size(), 4);
}

// A horse's history takes each race's position line from the position file:
// a corrected line shows in it, and a race without one is left out.
TEST_F(ArchiveTest, HistoryFollowsThePositionFile) {
  const QString dataDir = Imported(u"history"_s);
  TByteLines positions;
  TPositionFile::LoadPositions(positions, QDir(dataDir).filePath(u"Position.dat"_s));
  ASSERT_FALSE(positions.isEmpty());
  TArchive archive(ArchivePath(dataDir), TArchive::TAccess::Read);
  const TArchiveRecords records = archive.DayRecords({}, {});
  const QString name = TRunnerRecord().HorseName(records.UmaLines[0]).trimmed();
  const QList<TRunKey> runs = archive.HorseRuns(name);
  const TSettings settings;
  const QList<TRunRow> rows = HistoryRows(archive, runs, positions, settings);
  ASSERT_EQ(rows.size(), runs.size());
  EXPECT_EQ(rows.first().Name, name);
  TByteLines without = positions;
  without.removeIf([&](const QByteArray& line) { return line.startsWith(runs.first().RaceKey); });
  EXPECT_EQ(HistoryRows(archive, runs, without, settings).size(), runs.size() - 1);
}

// A meeting is a venue's 回 of a year: its days wherever they fall, other
// venues' and other years' meetings apart.
TEST(MeetingPeriodTest, SpansTheDaysOfTheMeetingsHeldThatDay) {
  const QList<TArchivedDay> days = {
      {"20230506", {{"20230506050201", 12}}},                          // last year's 2回東京
      {"20240504", {{"20240504050201", 12}, {"20240504080301", 12}}},  // 2回東京, 3回京都
      {"20240505", {{"20240505050202", 12}}},
      {"20240511", {{"20240511050203", 12}, {"20240511040101", 12}}},  // 1回新潟 begins
      {"20240518", {{"20240518040102", 12}}},
      {"20240525", {{"20240525080304", 12}}},
  };
  const struct {
    QByteArray Date, First, Last;
  } rows[] = {
      {"20240505", "20240504", "20240511"}, {"20240511", "20240504", "20240518"},
      {"20240518", "20240511", "20240518"}, {"20240525", "20240504", "20240525"},
      {"20240512", "20240512", "20240512"},  // no racing: the day alone
  };
  for (const auto& row : rows) {
    const auto [first, last] = MeetingPeriod(days, row.Date);
    EXPECT_EQ(first + "-" + last, row.First + "-" + row.Last) << row.Date.toStdString();
  }
}

}  // namespace
