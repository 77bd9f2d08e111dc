#include "link/FeedLink.h"

#include "text/LineFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray Kind = "0B12";
const QByteArray Day = "20240106";

class FeedLinkTest : public testing::Test {
protected:
  FeedLinkTest() : Clock(QDateTime(QDate(2024, 1, 8), QTime(12, 0))) {
    QDir(Dir.path()).mkpath(QStringLiteral("feed/0B12"));
    TLinkSettings settings;
    settings.FeedFolder = QStringLiteral("feed");
    settings.Save(Dir.path());
  }

  QString Feed(const QString& name) const { return Dir.filePath(QStringLiteral("feed/") + name); }
  void WriteDay(const QByteArray& key, const QByteArray& bytes) {
    WriteFileAtomically(Feed(QStringLiteral("0B12/") + QString::fromLatin1(key) + QStringLiteral(".txt")),
                        bytes);
  }

  // Every record of the open day, skipping "nothing yet" answers; the code that ended it.
  static TByteLines ReadAll(TJVLink& link, int* end = nullptr, int* pending = nullptr) {
    TByteLines records;
    for (int guard = 0; guard < 100000; ++guard) {
      QByteArray buffer("stale");
      QString fileName = QStringLiteral("x");
      const int n = link.JVRead(buffer, 110000, fileName);
      EXPECT_TRUE(fileName.isEmpty());
      if (n == -1) {
        if (pending) ++*pending;
        continue;
      }
      if (n <= 0) {
        if (end) *end = n;
        return records;
      }
      EXPECT_EQ(n, buffer.size());
      records.append(buffer);
    }
    ADD_FAILURE() << "read loop did not end";
    return records;
  }

  QTemporaryDir Dir;
  TFixedClock Clock;
};

TEST_F(FeedLinkTest, SettingsSetForTheRunSurviveInitialisation) {
  // The settings file names "feed"; this run serves another folder.
  const QByteArray ra = "RA7" + QByteArray(10, '9');
  ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("other/0B12")));
  WriteFileAtomically(
      Dir.filePath(QStringLiteral("other/0B12/")) + QString::fromLatin1(Day) + QStringLiteral(".txt"),
      ra + "\r\n");
  TFeedLink link(Dir.path(), Clock);
  TLinkSettings settings = link.Settings();
  settings.FeedFolder = QStringLiteral("other");
  link.SetSettings(settings);
  ASSERT_EQ(link.JVInit(QStringLiteral("SA1")), 0);
  ASSERT_EQ(link.JVRTOpen(Kind, Day), 0);
  EXPECT_EQ(ReadAll(link, nullptr), TByteLines{ra + "\r\n"});
  EXPECT_EQ(TLinkSettings::Load(Dir.path()).FeedFolder, QStringLiteral("feed")) << "file left as it was";
}

TEST_F(FeedLinkTest, DeliversRecordsByteExactInOrder) {
  // A Shift-JIS name whose trail bytes are not line ends, a CR LF file.
  const QByteArray ra = "RA7" + QByteArray(10, '1') + "\x83\x41\x83\x43\x83\x58";
  const QByteArray se = "SE7" + QByteArray(20, '2');
  const QByteArray hr = "HR1" + QByteArray(30, '3');
  WriteDay(Day, ra + "\r\n" + se + "\r\n" + hr + "\r\n");
  TFeedLink link(Dir.path(), Clock);
  ASSERT_EQ(link.JVInit(QStringLiteral("SA1")), 0);
  ASSERT_EQ(link.JVRTOpen(Kind, Day), 0);
  int end = 99;
  EXPECT_EQ(ReadAll(link, &end), (TByteLines{ra + "\r\n", se + "\r\n", hr + "\r\n"}));
  EXPECT_EQ(end, 0);
  QByteArray buffer;
  QString name;
  EXPECT_EQ(link.JVRead(buffer, 110000, name), 0) << "stays at the end";
  EXPECT_EQ(link.JVClose(), 0);
}

struct TLineEndCase {
  const char* Name;
  QByteArray File;
  TByteLines Records;
};

class FeedLineEndTest : public FeedLinkTest, public testing::WithParamInterface<TLineEndCase> {};

TEST_P(FeedLineEndTest, DeliversEveryRecordWithCrLf) {
  WriteDay(Day, GetParam().File);
  TFeedLink link(Dir.path(), Clock);
  ASSERT_EQ(link.JVInit(QStringLiteral("SA1")), 0);
  ASSERT_EQ(link.JVRTOpen(Kind, Day), 0);
  EXPECT_EQ(ReadAll(link), GetParam().Records) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FeedLineEndTest,
    testing::Values(TLineEndCase{"lf only", "RA7a\nSE7b\n", {"RA7a\r\n", "SE7b\r\n"}},
                    TLineEndCase{"mixed", "RA7a\r\nSE7b\nHR1c\r\n", {"RA7a\r\n", "SE7b\r\n", "HR1c\r\n"}},
                    TLineEndCase{"no final break", "RA7a\r\nSE7b", {"RA7a\r\n", "SE7b\r\n"}},
                    TLineEndCase{
                        "blank lines carry nothing", "\r\nRA7a\n\n\r\nSE7b\r\n", {"RA7a\r\n", "SE7b\r\n"}},
                    TLineEndCase{"lone CR is data", "RA7a\rb\r\n", {"RA7a\rb\r\n"}},
                    TLineEndCase{"empty file", "", {}}));

TEST_F(FeedLinkTest, OpenResults) {
  WriteDay(Day, "RA7x\r\n");
  TFeedLink link(Dir.path(), Clock);
  EXPECT_EQ(link.JVRTOpen(Kind, Day), -201) << "before JVInit";
  EXPECT_EQ(link.JVInit(QString()), -101);
  EXPECT_EQ(link.JVRTOpen(Kind, Day), -201) << "refused JVInit leaves it uninitialised";
  ASSERT_EQ(link.JVInit(QStringLiteral("SA1")), 0);

  struct {
    QByteArray Kind, Key;
    int Result;
  } const cases[] = {
      {"0B12", "20240105", -1},   {"0B11", Day, -114},        {"", Day, -114},
      {"0B12", "2024010", -112},  {"0B12", "20241301", -112}, {"0B12", "../../x", -112},
      {"0B12", "2024010a", -112},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(link.JVRTOpen(c.Kind, c.Key), c.Result) << c.Kind.constData() << " " << c.Key.constData();
    EXPECT_EQ(link.JVClose(), 0);
  }

  ASSERT_EQ(link.JVRTOpen(Kind, Day), 0);
  EXPECT_EQ(link.JVRTOpen(Kind, Day), -202) << "still open";
  EXPECT_EQ(link.JVClose(), 0);
  EXPECT_EQ(link.JVRTOpen(Kind, Day), 0) << "closed, opens again";
  EXPECT_EQ(link.JVClose(), 0);

  WriteFileAtomically(Feed(QStringLiteral("MAINTENANCE")), "");
  EXPECT_EQ(link.JVRTOpen(Kind, Day), -504);
  EXPECT_EQ(link.JVRTOpen(Kind, "20240105"), -504) << "maintenance whether or not the day has data";
  EXPECT_EQ(link.JVClose(), 0);
  QFile::remove(Feed(QStringLiteral("MAINTENANCE")));
  EXPECT_EQ(link.JVRTOpen(Kind, Day), 0);
}

TEST_F(FeedLinkTest, ReadResults) {
  WriteDay(Day, "RA7x\r\n");
  TFeedLink link(Dir.path(), Clock);
  ASSERT_EQ(link.JVInit(QStringLiteral("SA1")), 0);
  QByteArray buffer;
  QString name;
  EXPECT_EQ(link.JVRead(buffer, 110000, name), -203) << "nothing open";

  ASSERT_EQ(link.JVRTOpen(Kind, Day), 0);
  EXPECT_EQ(link.JVClose(), 0);
  EXPECT_EQ(link.JVRead(buffer, 110000, name), -203) << "closed";

  // The day's file vanishes (or turns unreadable) between open and read.
  ASSERT_EQ(link.JVRTOpen(Kind, Day), 0);
  const QString file = Feed(QStringLiteral("0B12/20240106.txt"));
  ASSERT_TRUE(QFile::remove(file));
  ASSERT_TRUE(QDir().mkpath(file));
  EXPECT_EQ(link.JVRead(buffer, 110000, name), -402);
  EXPECT_EQ(link.JVRead(buffer, 110000, name), -402) << "stays failed";
  EXPECT_TRUE(buffer.isEmpty());
  EXPECT_EQ(link.JVClose(), 0);
}

TEST_F(FeedLinkTest, SlowServiceAnswersPendingThenSameRecords) {
  const QByteArray file = "RA7a\r\nSE7b\nHR1c\r\n";
  WriteDay(Day, file);
  TFeedLink fast(Dir.path(), Clock);
  ASSERT_EQ(fast.JVInit(QStringLiteral("SA1")), 0);
  ASSERT_EQ(fast.JVRTOpen(Kind, Day), 0);
  int fastPending = 0;
  const TByteLines expected = ReadAll(fast, nullptr, &fastPending);
  EXPECT_EQ(fastPending, 0) << "-1 only when slow";

  TLinkSettings settings = TLinkSettings::Load(Dir.path());
  settings.SlowReads = 2;
  settings.Save(Dir.path());
  TFeedLink slow(Dir.path(), Clock);
  ASSERT_EQ(slow.JVInit(QStringLiteral("SA1")), 0);
  ASSERT_EQ(slow.JVRTOpen(Kind, Day), 0);
  // Exactly -1, -1 before every record and before the end.
  QList<int> results;
  for (int i = 0; i < 12; ++i) {
    QByteArray buffer;
    QString name;
    results.append(slow.JVRead(buffer, 110000, name));
  }
  EXPECT_EQ(results, (QList<int>{-1, -1, 6, -1, -1, 6, -1, -1, 6, -1, -1, 0}));
  EXPECT_EQ(slow.JVClose(), 0);

  ASSERT_EQ(slow.JVRTOpen(Kind, Day), 0);
  int end = 99, pending = 0;
  EXPECT_EQ(ReadAll(slow, &end, &pending), expected);
  EXPECT_EQ(end, 0);
  EXPECT_EQ(pending, 8);
}

TEST_F(FeedLinkTest, ReplayCheckAndPlay) {
  const QByteArray key = "2024010606010111";
  QDir().mkpath(Feed(QStringLiteral("movies")));
  WriteFileAtomically(Feed(QStringLiteral("movies/2024010606010111.mp4")), "movie");
  // Another race's file and a directory named like a race are not replays of this race.
  WriteFileAtomically(Feed(QStringLiteral("movies/2024010606010112")), "no extension");
  QDir().mkpath(Feed(QStringLiteral("movies/2024010606010110.d")));
  TFeedLink link(Dir.path(), Clock);
  QStringList played;
  link.SetPlayer([&](const QString& path) { played.append(path); });

  struct {
    QByteArray Key;
    int Check;
  } const cases[] = {{key, 1},
                     {"2024010606010112", 0},
                     {"2024010606010110", 0},
                     {"2024010606010199", 0},
                     {"*", 0},
                     {"20240106060101*", 0},
                     {"", 0}};
  for (const auto& c : cases) EXPECT_EQ(link.JVMVCheck(c.Key), c.Check) << c.Key.constData();

  EXPECT_EQ(link.JVMVPlay(key), 0);
  EXPECT_NE(link.JVMVPlay("2024010606010199"), 0);
  ASSERT_EQ(played.size(), 1);
  EXPECT_EQ(QFileInfo(played.first()), QFileInfo(Feed(QStringLiteral("movies/2024010606010111.mp4"))));
}

TEST_F(FeedLinkTest, UIPropertiesSavesWhatTheEditorChanged) {
  TFeedLink link(Dir.path(), Clock);
  EXPECT_EQ(link.JVSetUIProperties(), 0) << "no editor shown";

  link.SetSettingsEditor([](TLinkSettings&) { return false; });
  EXPECT_EQ(link.JVSetUIProperties(), 0) << "cancelled";
  EXPECT_EQ(link.Settings().FeedFolder, QStringLiteral("feed"));

  link.SetSettingsEditor([](TLinkSettings& s) {
    s.FeedFolder = QStringLiteral("他のフィード");
    s.SlowReads = 3;
    return true;
  });
  EXPECT_EQ(link.JVSetUIProperties(), 0);
  EXPECT_EQ(link.Settings().SlowReads, 3);
  const TLinkSettings stored = TLinkSettings::Load(Dir.path());
  EXPECT_EQ(stored, link.Settings());
  EXPECT_EQ(link.FeedDir(), QDir(Dir.path()).absoluteFilePath(QStringLiteral("他のフィード")));
}

TEST_F(FeedLinkTest, UIPropertiesReportsAFailedSave) {
  TFeedLink link(Dir.path(), Clock);
  // A directory where the file should be: the save fails, the settings stay.
  QFile::remove(Dir.filePath(QStringLiteral("FeedLink.ini")));
  ASSERT_TRUE(QDir().mkpath(Dir.filePath(QStringLiteral("FeedLink.ini"))));
  link.SetSettingsEditor([](TLinkSettings& s) {
    s.SlowReads = 5;
    return true;
  });
  EXPECT_LT(link.JVSetUIProperties(), 0);
  EXPECT_EQ(link.Settings().SlowReads, 0);
  EXPECT_FALSE(link.LastError().isEmpty());
}

TEST(LinkSettingsTest, DefaultsForMissingOrBadValues) {
  QTemporaryDir dir;
  EXPECT_EQ(TLinkSettings::Load(dir.path()), TLinkSettings()) << "no file";
  WriteFileAtomically(dir.filePath(QStringLiteral("FeedLink.ini")),
                      "[Feed]\nFolder= /data/feed \nSlowReads=abc\nSlowDelayMs=-5\nDemoSeed=42\nOther=1\n");
  const TLinkSettings s = TLinkSettings::Load(dir.path());
  EXPECT_EQ(s.FeedFolder, QStringLiteral("/data/feed"));
  EXPECT_EQ(s.SlowReads, 0);
  EXPECT_EQ(s.SlowDelayMs, 0);
  EXPECT_EQ(s.DemoSeed, 42);
}

// The waits before one record never add up to more than a few seconds.
TEST(LinkSettingsTest, SlowServiceWaitsAreHeld) {
  QTemporaryDir dir;
  const struct {
    const char* Text;
    int Reads;
    int DelayMs;
  } cases[] = {{"SlowReads=1000\nSlowDelayMs=1000\n", 5, 1000},
               {"SlowReads=1000\nSlowDelayMs=0\n", 1000, 0},
               {"SlowReads=2\nSlowDelayMs=50\n", 2, 50},
               {"SlowReads=200\nSlowDelayMs=30\n", 166, 30}};
  for (const auto& c : cases) {
    WriteFileAtomically(dir.filePath(QStringLiteral("FeedLink.ini")), QByteArray("[Feed]\n") + c.Text);
    const TLinkSettings s = TLinkSettings::Load(dir.path());
    EXPECT_EQ(s.SlowReads, c.Reads) << c.Text;
    EXPECT_EQ(s.SlowDelayMs, c.DelayMs) << c.Text;
  }
}

class FeedLinkDemoTest : public FeedLinkTest {
protected:
  FeedLinkDemoTest() { QFile::remove(Dir.filePath(QStringLiteral("FeedLink.ini"))); }
};

TEST_F(FeedLinkDemoTest, WithoutFolderServesDemoFeedAndFillsRecentDays) {
  TFeedLink link(Dir.path(), Clock);
  ASSERT_TRUE(link.IsDemo());
  EXPECT_EQ(link.FeedDir(), QDir(Dir.path()).absoluteFilePath(QStringLiteral("DemoFeed")));
  QList<QDate> asked;
  link.SetDemoWriter([&](const QString& feedDir, const QDate& day, int seed) {
    asked.append(day);
    EXPECT_EQ(seed, 1);
    if (day.dayOfWeek() < 6) return;  // racing on weekends only
    QDir().mkpath(feedDir + QStringLiteral("/0B12"));
    WriteFileAtomically(feedDir + QStringLiteral("/0B12/") + day.toString(QStringLiteral("yyyyMMdd")) +
                            QStringLiteral(".txt"),
                        "RA7demo\n");
  });
  ASSERT_EQ(link.JVInit(QStringLiteral("SA1")), 0);
  // Clock: Monday 2024-01-08. Saturday the 6th is recent and missing: written.
  EXPECT_EQ(link.JVRTOpen(Kind, "20240106"), 0);
  EXPECT_EQ(ReadAll(link), TByteLines{"RA7demo\r\n"});
  EXPECT_EQ(link.JVClose(), 0);
  // Present now: served as it stands, not written again.
  EXPECT_EQ(link.JVRTOpen(Kind, "20240106"), 0);
  EXPECT_EQ(link.JVClose(), 0);
  EXPECT_EQ(link.JVRTOpen(Kind, "20240105"), -1) << "a weekday without racing";
  EXPECT_EQ(link.JVRTOpen(Kind, "20231230"), -1) << "Saturday nine days back is not recent";
  EXPECT_EQ(link.JVRTOpen(Kind, "20240113"), -1) << "a future day is not written";
  EXPECT_EQ(link.JVRTOpen(Kind, "20231231"), 0) << "Sunday eight days back is";
  EXPECT_EQ(link.JVClose(), 0);
  EXPECT_EQ(asked, (QList<QDate>{QDate(2024, 1, 6), QDate(2024, 1, 5), QDate(2023, 12, 31)}));
}

TEST_F(FeedLinkDemoTest, FailingDemoWriterMeansNoData) {
  TFeedLink link(Dir.path(), Clock);
  link.SetDemoWriter(
      [](const QString&, const QDate&, int) { WriteLines(QStringLiteral("/proc/none/x"), {}); });
  ASSERT_EQ(link.JVInit(QStringLiteral("SA1")), 0);
  EXPECT_EQ(link.JVRTOpen(Kind, "20240106"), -1);
  EXPECT_FALSE(link.LastError().isEmpty());
  EXPECT_EQ(link.JVRTOpen(Kind, "20240106"), -1) << "nothing left open";
}

}  // namespace
