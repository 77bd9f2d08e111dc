// Runs of the program on one start directory at the same time: each sees, and
// leaves, one consistent set of data files.

#include "link/LinkSettings.h"
#include "support/CliHarness.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace hardening {
namespace {

const QByteArray BlankExportLine(90, ' ');

// Runs side by side take longer than one alone.
TRun Finish(QProcess& process) {
  return FinishCli(process, 180000);
}

// Two feeds of the same week with different racing, and the data files that
// downloading one after the other leaves, in either order.
class OneWriterTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Base = new QTemporaryDir;
    for (const QString& feed : {u"A"_s, u"B"_s}) {
      const TRun run = RunCli(Base->path(), DemoFeedArgs(Feed(feed), feed == u"A" ? u"3"_s : u"5"_s));
      ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    }
    for (const QString& order : {u"AB"_s, u"BA"_s, u"A"_s}) {
      const QString start = Base->filePath(order);
      QDir().mkpath(start);
      for (const QChar feed : order) {
        const TRun run = RunCli(start, Download(feed));
        ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
      }
    }
  }
  static void TearDownTestSuite() {
    delete Base;
    Base = nullptr;
  }

  static QString Feed(const QString& name) { return Base->filePath(u"feed"_s + name); }
  static QStringList Download(QChar feed) { return DownloadArgs(Feed(QString(feed))); }
  static QMap<QString, QByteArray> DataOf(const QString& start) {
    return Snapshot(QDir(start).filePath(u"Data"_s));
  }

  static inline QTemporaryDir* Base = nullptr;
};

TEST_F(OneWriterTest, TwoDownloadsTogetherEndAsOneAfterTheOther) {
  const auto ab = DataOf(Base->filePath(u"AB"_s));
  const auto ba = DataOf(Base->filePath(u"BA"_s));
  ASSERT_NE(ab, ba);
  for (int round = 0; round < 10; ++round) {
    QTemporaryDir start;
    auto a = StartCli(start.path(), Download(u'A'));
    auto b = StartCli(start.path(), Download(u'B'));
    const TRun runA = Finish(*a);
    const TRun runB = Finish(*b);
    EXPECT_EQ(runA.ExitCode, 0) << runA.Err.toStdString();
    EXPECT_EQ(runB.ExitCode, 0) << runB.Err.toStdString();
    const auto data = DataOf(start.path());
    EXPECT_TRUE(data == ab || data == ba)
        << "round " << round << ": " << ChangedFiles(ab, data).join(u", ").toStdString();
  }
}

TEST_F(OneWriterTest, ExportDuringADownloadWritesNoBlankRace) {
  for (int round = 0; round < 5; ++round) {
    QTemporaryDir start;
    CopyTree(Base->filePath(u"A"_s), start.path());
    auto download = StartCli(start.path(), Download(u'B'));
    auto exported = StartCli(start.path(), {u"export"_s, u"--all"_s});
    const TRun runDownload = Finish(*download);
    const TRun runExport = Finish(*exported);
    ASSERT_EQ(runDownload.ExitCode, 0) << runDownload.Err.toStdString();
    ASSERT_EQ(runExport.ExitCode, 0) << runExport.Err.toStdString();
    // Every race it counts is a line of its own in the files it wrote.
    const int counted = runExport.Out.left(runExport.Out.indexOf(u' ')).toInt();
    EXPECT_GT(counted, 0) << runExport.Out.toStdString();
    int written = 0;
    const QDir data(QDir(start.path()).filePath(u"Data"_s));
    for (const QString& name : data.entryList({u"FT*.dat"_s})) {
      int lines = 0;
      for (const QByteArray& line : ReadLines(data.filePath(name)))
        if (line != BlankExportLine) ++lines;
      EXPECT_GT(lines, 0) << name.toStdString() << " holds blank lines only";
      written += lines;
    }
    EXPECT_EQ(written, counted) << "round " << round;
  }
}

// Readers go on beside a running download; a writer waits for it and then
// gives up with a message; a lock left by a download that was killed stops nobody.
TEST_F(OneWriterTest, ACommandWaitsForARunningCopyButNotForAKilledOne) {
  QTemporaryDir start;
  CopyTree(Base->filePath(u"A"_s), start.path());
  TLinkSettings slow;
  slow.FeedFolder = Feed(u"B"_s);
  slow.SlowReads = 1;
  slow.SlowDelayMs = 50;
  slow.Save(start.path());
  const QString lockFile = QDir(start.path()).filePath(u"Data/RAVEK.lock"_s);
  auto download = StartCli(start.path(), {u"download"_s, u"--now"_s, DemoMonday});
  QElapsedTimer waited;
  waited.start();
  while (!QFileInfo::exists(lockFile) && waited.elapsed() < 30000) QThread::msleep(20);
  ASSERT_TRUE(QFileInfo::exists(lockFile));
  const auto before = DataOf(start.path());

  // Side by side: the slow feed keeps the download going a few seconds a day only.
  QElapsedTimer timer;
  timer.start();
  for (const QString& reader : {u"days"_s, u"bias"_s}) {
    const TRun read = RunCli(start.path(), {reader});
    EXPECT_EQ(read.ExitCode, 0) << reader.toStdString() << ": " << read.Err.toStdString();
    EXPECT_FALSE(read.Out.isEmpty()) << reader.toStdString();
  }
  EXPECT_LT(timer.elapsed(), 4000);
  auto writer = StartCli(start.path(), {u"export"_s, u"--all"_s});
  const TRun blocked = Finish(*writer);
  EXPECT_EQ(blocked.ExitCode, 2);
  EXPECT_TRUE(blocked.Err.contains(u"別の RAVEK"_s)) << blocked.Err.toStdString();
  EXPECT_GE(timer.elapsed(), 4000);
  EXPECT_TRUE(blocked.Out.isEmpty()) << blocked.Out.toStdString();

  download->kill();
  download->waitForFinished();
  ASSERT_TRUE(QFileInfo::exists(lockFile));
  const TRun after = RunCli(start.path(), {u"export"_s, u"--all"_s});
  EXPECT_EQ(after.ExitCode, 0) << after.Err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(lockFile));
  // Nothing the killed download had not finished shows: the files are as they were.
  auto now = DataOf(start.path());
  now.remove(u"RAVEK.lock"_s);
  auto was = before;
  was.remove(u"RAVEK.lock"_s);
  EXPECT_EQ(now.value(u"RaceData.dat"_s), was.value(u"RaceData.dat"_s));
}

// What a power cut or a stray hand leaves at the lock's path: one naming no
// process is taken over; one that cannot be replaced is named for removal.
TEST_F(OneWriterTest, LeftOverLockFiles) {
  struct TCase {
    const char* Name;
    std::function<void(const QString&)> Make;
    int ExitCode;
  };
  const auto file = [](const QByteArray& bytes) {
    return [bytes](const QString& path) {
      WriteBytes(path, bytes);
      QFile lock(path);
      ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
      lock.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    };
  };
  const TCase cases[] = {
      {"empty", file({}), 0},
      {"garbage", file("\xff\x00garbage\n\n\n"), 0},
      {"no process number", file("abc\nravek-cli\nhost\n"), 0},
      {"folder", [](const QString& path) { QDir().mkpath(path + u"/inside"_s); }, 2},
  };
  for (const TCase& c : cases) {
    QTemporaryDir start;
    CopyTree(Base->filePath(u"A"_s), start.path());
    const QString lockFile = QDir(start.path()).filePath(u"Data/RAVEK.lock"_s);
    c.Make(lockFile);
    const TRun run = RunCli(start.path(), {u"export"_s, u"--all"_s});
    EXPECT_EQ(run.ExitCode, c.ExitCode) << c.Name << ": " << run.Err.toStdString();
    if (c.ExitCode == 0) {
      EXPECT_FALSE(QFileInfo::exists(lockFile)) << c.Name;
    } else {
      EXPECT_TRUE(run.Err.contains(QDir::toNativeSeparators(lockFile) + u" を削除"_s))
          << run.Err.toStdString();
      EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
    }
  }
}

}  // namespace
}  // namespace hardening
