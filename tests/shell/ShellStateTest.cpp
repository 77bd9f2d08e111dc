#include "shell/ShellState.h"

#include "position/PositionFile.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

class ShellStateTest : public testing::Test {
protected:
  QTemporaryDir Dir;
  QString App() const { return QDir::cleanPath(Dir.path()); }
  QString Data() const { return App() + QStringLiteral("/Data"); }
  QString DataFile(const char* name) const { return Data() + u'/' + QString::fromLatin1(name); }
  static void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
  }
  static QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
  }
};

TEST_F(ShellStateTest, FirstStartInEmptyDirectory) {
  const TShellState state(Dir.path());
  EXPECT_EQ(state.AppDir, App());
  EXPECT_EQ(state.DataDir, Data());
  EXPECT_TRUE(QFileInfo(Data()).isDir());
  EXPECT_TRUE(state.StartMessage.isEmpty());
  EXPECT_EQ(QDir(Data()).entryList(QDir::Files), QStringList());  // no backup, no data file
  EXPECT_FALSE(QFile::exists(App() + QStringLiteral("/RAVEK.INI")));
  TSettings defaults;
  defaults.TargetDir = Data();
  EXPECT_EQ(state.Settings, defaults);
  EXPECT_FALSE(state.ResultsEnabled);
  EXPECT_EQ(state.SoftwareId, QStringLiteral("SA468213/SD590374/RAVEK/Ver1.24"));
  EXPECT_TRUE(state.DayStore.Races.isEmpty());

  state.WriteSettings();
  const TByteLines ini = ReadLines(App() + QStringLiteral("/RAVEK.INI"));
  ASSERT_EQ(ini.size(), 17);  // three headers, fourteen keys
  EXPECT_EQ(ini[1], "X=20");
  EXPECT_EQ(ini[2], "Y=20");
  EXPECT_EQ(ini[4], "Target=");  // the data folder, wherever the start directory is copied
}

TEST_F(ShellStateTest, SettingsAreReadFromAppDirAndMovedWindowIsWritten) {
  WriteBytes(App() + QStringLiteral("/RAVEK.INI"), "[Position]\r\nX=300\r\n[Constant]\r\nSoto=5\r\n");
  TShellState state(Dir.path());
  EXPECT_EQ(state.Settings.X, 300);
  EXPECT_EQ(state.Settings.Soto, 5);
  state.Settings.Y = 44;
  state.WriteSettings();
  const QByteArray ini = ReadBytes(App() + QStringLiteral("/RAVEK.INI"));
  EXPECT_TRUE(ini.startsWith("[Position]\r\nX=300\r\nY=44\r\n")) << ini.constData();
  EXPECT_TRUE(ini.contains("\r\nSoto=5\r\n"));
}

TEST_F(ShellStateTest, CornerNames) {
  const TShellState state(Dir.path());
  const QStringList& names = state.DayStore.CornerNames;
  ASSERT_EQ(names.size(), 12);
  EXPECT_EQ(names[0], QStringLiteral("Ｓ前(1)"));
  EXPECT_EQ(names[4], QStringLiteral("３コーナー(1)"));
  EXPECT_EQ(names[5], QStringLiteral("４コーナー(1)"));
  EXPECT_EQ(names[6], QStringLiteral("Ｓ前"));
  EXPECT_EQ(names[11], QStringLiteral("４コーナー"));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(names[i], names[i + 6] + QStringLiteral("(1)"));
}

// A position file of `size` bytes that reads whole: one record of fill bytes.
QByteArray SoundPositionFile(int size, char fill) {
  if (size < 4) return QByteArray(size, fill);
  const qint32 length = 2 * (size - 4);
  QByteArray bytes;
  for (int i = 0; i < 4; ++i) bytes.append(char(length >> (8 * i) & 0xff));
  return bytes + QByteArray(size - 4, fill);
}

struct TBackupCase {
  const char* Name;
  std::optional<int> PositionSize;
  std::optional<int> BackupSize;
  bool Refreshed;
  bool Damaged = false;  // Position.dat does not read whole
};

class BackupTest : public ShellStateTest, public testing::WithParamInterface<TBackupCase> {};

TEST_P(BackupTest, NeverReplacedBySmallerFile) {
  const TBackupCase& c = GetParam();
  ASSERT_TRUE(QDir(App()).mkdir(QStringLiteral("Data")));
  if (c.PositionSize)
    WriteBytes(DataFile("Position.dat"),
               c.Damaged ? QByteArray(*c.PositionSize, 'P') : SoundPositionFile(*c.PositionSize, 'P'));
  if (c.BackupSize) WriteBytes(DataFile("Position.bak"), SoundPositionFile(*c.BackupSize, 'B'));
  const QByteArray before = ReadBytes(DataFile("Position.bak"));

  const TShellState state(Dir.path());
  const QByteArray after = ReadBytes(DataFile("Position.bak"));
  if (c.Refreshed) {
    EXPECT_EQ(after, SoundPositionFile(*c.PositionSize, 'P'));
  } else {
    EXPECT_EQ(after, before);
  }
  if (c.PositionSize && !c.Damaged) {
    EXPECT_EQ(ReadBytes(DataFile("Position.dat")), SoundPositionFile(*c.PositionSize, 'P'));
  }
  // A damaged file is named to the user at start-up.
  EXPECT_EQ(state.StartMessage.contains(QStringLiteral("Position.dat")), c.Damaged)
      << state.StartMessage.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, BackupTest,
                         testing::Values(TBackupCase{"equal", 1000, 1000, true},
                                         TBackupCase{"smaller", 999, 1000, false},
                                         TBackupCase{"larger", 1001, 1000, true},
                                         TBackupCase{"no backup yet", 1000, std::nullopt, true},
                                         TBackupCase{"empty position file", 0, std::nullopt, true},
                                         TBackupCase{"empty over backup", 0, 1, false},
                                         TBackupCase{"no position file", std::nullopt, 1000, false},
                                         TBackupCase{"neither", std::nullopt, std::nullopt, false},
                                         TBackupCase{"damaged and larger", 1001, 1000, false, true}),
                         [](const testing::TestParamInfo<TBackupCase>& info) {
                           std::string name = info.param.Name;
                           for (char& c : name) {
                             if (c == ' ') c = '_';
                           }
                           return name;
                         });

// Without PayData.dat the races show without payouts.
TEST_F(ShellStateTest, ResultsNeedRaceAndHorseFiles) {
  const char* names[] = {"RaceData.dat", "UmaData.dat", "PayData.dat"};
  for (int mask = 0; mask < 8; ++mask) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Data")));
    for (int i = 0; i < 3; ++i) {
      // The files beside the program do not count; only those in Data do.
      WriteBytes(dir.filePath(QString::fromLatin1(names[i])), "x");
      if (mask & (1 << i))
        WriteBytes(dir.filePath(QStringLiteral("Data/") + QString::fromLatin1(names[i])), "");
    }
    const TShellState state(dir.path());
    EXPECT_EQ(state.ResultsEnabled, (mask & 3) == 3) << "mask " << mask;
    EXPECT_EQ(state.DataFilesPresent(), (mask & 3) == 3) << "mask " << mask;
  }
}

TEST_F(ShellStateTest, DataDirectoryThatCannotBeCreated) {
  // A file named Data stands in the way of the directory.
  WriteBytes(App() + QStringLiteral("/Data"), "not a directory");
  for (const char* name : {"RaceData.dat", "UmaData.dat", "PayData.dat"}) {
    WriteBytes(App() + u'/' + QString::fromLatin1(name), "");
  }
  WriteBytes(App() + QStringLiteral("/Position.dat"), SoundPositionFile(10, 'P'));

  const TShellState state(Dir.path());
  EXPECT_EQ(state.StartMessage, QStringLiteral("Cannot create Directory"));
  EXPECT_EQ(state.DataDir, App());
  EXPECT_EQ(state.Settings.TargetDir, App());
  EXPECT_TRUE(state.ResultsEnabled);
  EXPECT_EQ(ReadBytes(App() + QStringLiteral("/Position.bak")), SoundPositionFile(10, 'P'));
  EXPECT_EQ(ReadBytes(App() + QStringLiteral("/Data")), QByteArray("not a directory"));
}

TEST_F(ShellStateTest, ExistingDataDirectoryIsUsedAsItIs) {
  ASSERT_TRUE(QDir(App()).mkdir(QStringLiteral("Data")));
  WriteBytes(DataFile("RaceData.dat"), "kept");
  const TShellState state(Dir.path());
  EXPECT_TRUE(state.StartMessage.isEmpty());
  EXPECT_EQ(state.DataDir, Data());
  EXPECT_EQ(ReadBytes(DataFile("RaceData.dat")), QByteArray("kept"));
}

TEST_F(ShellStateTest, RelativeStartDirectoryBecomesAbsolute) {
  const QString cwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(App()));
  const TShellState state(QStringLiteral("."));
  ASSERT_TRUE(QDir::setCurrent(cwd));
  EXPECT_EQ(state.AppDir, App());
  EXPECT_EQ(state.DataDir, Data());
}

}  // namespace

namespace {

// Notes each call and whether the settings file existed at that moment.
class TRecordingObserver : public TProgressObserver {
public:
  explicit TRecordingObserver(QString iniPath) : FIniPath(std::move(iniPath)) {}
  void ShowProgress(const QString& text) override { Record(text); }
  void CloseProgress() override { Record(QStringLiteral("<closed>")); }
  QStringList Calls;
  bool IniSeenDuringSave = false;

private:
  void Record(const QString& call) {
    Calls.append(call);
    if (QFile::exists(FIniPath)) IniSeenDuringSave = true;
  }
  QString FIniPath;
};

TByteLines LoadPositionFile(const QString& path) {
  TByteLines lines;
  TPositionFile::LoadPositions(lines, path);
  return lines;
}

const QByteArray KeyA = "2024010106010101";
const QByteArray KeyB = "2024010106010102";
const QByteArray KeyC = "2024010106010103";

class CloseTest : public ShellStateTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(QDir(App()).mkdir(QStringLiteral("Data")));
    TPositionFile::SavePositions({KeyA + "1111", KeyB + "2222"}, DataFile("Position.dat"));
  }
  QString Ini() const { return App() + QStringLiteral("/RAVEK.INI"); }
  // A edited in the race window, C never stored, and a race without a
  // position line.
  static void FillDayStore(TShellState& state) {
    state.DayStore.Races = {TRaceEntry{"RA-A", KeyA + "9999", {"SE-A1"}},
                            TRaceEntry{"RA-C", KeyC + "3333", {}}, TRaceEntry{"RA-D", {}, {}}};
  }
};

TEST_F(CloseTest, SavesPositionsThenWritesSettings) {
  TShellState state(Dir.path());
  FillDayStore(state);
  state.Settings.Distance = 3;
  TRecordingObserver observer(Ini());
  const TPositionSaveResult result = state.Close(&observer);

  EXPECT_TRUE(result.Message.isEmpty());
  EXPECT_EQ(LoadPositionFile(DataFile("LastPos.dat")), (TByteLines{KeyA + "9999", KeyC + "3333", ""}));
  EXPECT_EQ(LoadPositionFile(DataFile("Position.dat")), (TByteLines{KeyA + "9999", KeyB + "2222"}));
  EXPECT_EQ(observer.Calls,
            (QStringList{QStringLiteral("展開データ構築中・・・"), QStringLiteral("展開データ保存中・・・"),
                         QStringLiteral("<closed>")}));
  EXPECT_FALSE(observer.IniSeenDuringSave);
  EXPECT_EQ(TSettingsFile(Ini()).Load(Data()).Distance, 3);
  // The day store itself is left for the front end to drop.
  EXPECT_EQ(state.DayStore.Races.size(), 3);
}

TEST_F(CloseTest, FailedPositionSaveWritesNoSettings) {
  TShellState state(Dir.path());
  // A line that cannot be packed into the position file.
  state.DayStore.Races = {TRaceEntry{"RA-A", KeyA + "ZZ", {}}};
  TRecordingObserver observer(Ini());
  EXPECT_THROW(state.Close(&observer), TFileError);
  EXPECT_EQ(observer.Calls.value(observer.Calls.size() - 1), QStringLiteral("<closed>"));
  EXPECT_FALSE(QFile::exists(Ini()));
  EXPECT_EQ(LoadPositionFile(DataFile("Position.dat")), (TByteLines{KeyA + "1111", KeyB + "2222"}));
  EXPECT_FALSE(QFile::exists(DataFile("LastPos.dat")));
}

TEST_F(CloseTest, WithoutObserverAndEmptyStore) {
  TShellState state(Dir.path());
  state.Close(nullptr);
  EXPECT_EQ(ReadBytes(DataFile("LastPos.dat")), QByteArray());
  EXPECT_EQ(LoadPositionFile(DataFile("Position.dat")), (TByteLines{KeyA + "1111", KeyB + "2222"}));
  EXPECT_TRUE(QFile::exists(Ini()));
}

}  // namespace
