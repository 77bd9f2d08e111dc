// Writes on a disk with a few KiB left: every one fails with a message that
// names the file and the full disk, and leaves the old file as it was.

#include "shell/DataLock.h"
#include "shell/SettingsFile.h"
#include "shell/ShellState.h"
#include "support/CliHarness.h"
#include "text/Errors.h"

#include <QStorageInfo>
#include <QTemporaryDir>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace hardening {
namespace {

const QString DiskFull = u"ディスクの空き容量が足りません"_s;
const QString RaceKey = u"2024051205020611"_s;
// The demo feed the suite downloads from, outside the small disk.
QString FeedFolder;

// Copies of every size that matters: below and above the 16 KiB a buffered
// write holds back until the commit.
const QByteArray Small(8832, 'a');
const QByteArray Large(600 * 1024, 'b');

// A write of the file at path in the start directory dir.
struct TFullDiskCase {
  const char* Name;
  const char* File;
  std::function<void(const QString& path, const QString& dir)> Write;
};

class FullDiskTest : public testing::TestWithParam<TFullDiskCase> {
protected:
  static void SetUpTestSuite() {
    Base = new QTemporaryDir;
    Start = Base->filePath(u"start"_s);
    FeedFolder = Base->filePath(u"feed"_s);
    QDir().mkpath(Start + u"/Data"_s);
    DownloadDemoWeek(Start, FeedFolder);
    if (HasFatalFailure()) return;
    const TRun exported = RunCli(Start, {u"export"_s, u"--all"_s});
    ASSERT_EQ(exported.ExitCode, 0) << exported.Err.toStdString();
  }
  static void TearDownTestSuite() {
    delete Base;
    Base = nullptr;
  }

  void SetUp() override {
    Disk = Base->filePath(u"disk"_s);
    QDir().mkpath(Disk);
    SmallDisk.emplace(Disk, u"16m"_s);
    if (!SmallDisk->Mounted())
      GTEST_SKIP() << "cannot mount a small tmpfs (needs root): the full-disk cases did not run";
  }
  void TearDown() override { SmallDisk.reset(); }

  // Fills the disk to leave about `left` bytes.
  void Fill(qint64 left) const {
    const qint64 free = QStorageInfo(Disk).bytesAvailable();
    ASSERT_GT(free, left);
    WriteBytes(QDir(Disk).filePath(u"filler"_s), QByteArray(free - left, 'f'));
  }

  static inline QTemporaryDir* Base = nullptr;
  static inline QString Start;
  QString Disk;
  std::optional<TSmallDisk> SmallDisk;
};

TEST_P(FullDiskTest, FailsByNameAndKeepsTheOldFile) {
  // Each leaves a last page short: a meeting file was left at 0, 4096 or 8192 bytes.
  for (const qint64 left : {0, 4096, 8192}) {
    SCOPED_TRACE(left);
    const QString dir = QDir(Disk).filePath(u"run"_s);
    QDir(dir).removeRecursively();
    QFile::remove(QDir(Disk).filePath(u"filler"_s));
    CopyTree(Start, dir);
    const QString path = QDir(dir).filePath(QString::fromLatin1(GetParam().File));
    if (!QFileInfo::exists(path)) WriteBytes(path, "old contents\r\n");
    const auto before = Snapshot(dir);
    Fill(left);
    QString message;
    try {
      GetParam().Write(path, dir);
    } catch (const TFileError& error) {
      message = error.Message();
    }
    EXPECT_TRUE(message.contains(DiskFull)) << message.toStdString();
    // With nothing left the command cannot even take its lock, and names that.
    EXPECT_TRUE(message.contains(QFileInfo(path).fileName()) || message.contains(TDataLock::FileName))
        << message.toStdString();
    EXPECT_EQ(ChangedFiles(before, Snapshot(dir)), QStringList());
  }
}

void ThrowOnFailure(const TRun& run) {
  if (run.ExitCode != 0) throw TFileError(run.Err + u" (exit %1)"_s.arg(run.ExitCode));
  if (!run.Err.isEmpty()) ADD_FAILURE() << run.Err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, FullDiskTest,
    testing::Values(
        TFullDiskCase{"small_file", "Data/LastPos.dat",
                      [](const QString& path, const QString&) { WriteFileAtomically(path, Small); }},
        TFullDiskCase{"large_file", "Data/Position.dat",
                      [](const QString& path, const QString&) { WriteFileAtomically(path, Large); }},
        TFullDiskCase{
            "lines", "Data/RaceData.dat",
            [](const QString& path, const QString&) { WriteLines(path, TByteLines(300, Small.left(90))); }},
        TFullDiskCase{"copy", "Data/Position.bak",
                      [](const QString& path, const QString& dir) {
                        CopyFileAtomically(QDir(dir).filePath(u"Data/Position.dat"_s), path);
                      }},
        TFullDiskCase{"settings", "RAVEK.INI",
                      [](const QString& path, const QString& dir) {
                        TSettingsFile file(path);
                        TSettings settings = file.Load(QDir(dir).filePath(u"Data"_s));
                        settings.TargetDir = QString(5000, u'補');
                        file.Save(settings);
                      }},
        // The command exits 2 with the message; the meeting file stays whole.
        TFullDiskCase{"cli_export", "Data/FT202425.dat",
                      [](const QString&, const QString& dir) {
                        ThrowOnFailure(RunCli(dir, {u"export"_s, RaceKey}));
                      }},
        // Every data file of the download, Position.dat included, stays as it was.
        TFullDiskCase{"cli_download", "Data/Position.dat",
                      [](const QString&, const QString& dir) {
                        ThrowOnFailure(RunCli(dir, DownloadArgs(FeedFolder)));
                      }},
        TFullDiskCase{"start_backup", "Data/Position.bak",
                      [](const QString&, const QString& dir) {
                        QString message;
                        if (!BackUpPositionFile(QDir(dir).filePath(u"Data"_s), &message))
                          throw TFileError(message);
                      }}),
    [](const testing::TestParamInfo<TFullDiskCase>& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace hardening
