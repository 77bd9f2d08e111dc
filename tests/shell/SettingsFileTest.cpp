#include "shell/SettingsFile.h"

#include "text/Cp932.h"
#include "text/Errors.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>

namespace {

const QString DataDir = QStringLiteral("/home/user/Data");

TSettings Defaults() {
  TSettings s;
  s.TargetDir = DataDir;
  return s;
}

struct TParseCase {
  const char* Name;
  TByteLines Lines;
  std::function<void(TSettings&)> Expect;  // what differs from the defaults
};

class ParseSettingsTest : public testing::TestWithParam<TParseCase> {};

TEST_P(ParseSettingsTest, Reads) {
  TSettings expected = Defaults();
  if (GetParam().Expect) GetParam().Expect(expected);
  EXPECT_EQ(ParseSettings(GetParam().Lines, DataDir), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseSettingsTest,
    testing::Values(
        TParseCase{"empty file", {}, nullptr}, TParseCase{"section without keys", {"[Constant]"}, nullptr},
        TParseCase{"display 2 is true", {"[Constant]", "Display=2"}, [](TSettings& s) { s.Display = true; }},
        TParseCase{
            "display -1 is true", {"[Constant]", "Display=-1"}, [](TSettings& s) { s.Display = true; }},
        TParseCase{"display 0 is false", {"[Constant]", "Display=0"}, nullptr},
        TParseCase{
            "bool not a number", {"[Constant]", "UseTG=yes", "Pay=1"}, [](TSettings& s) { s.Pay = true; }},
        TParseCase{"distance not a number", {"[Constant]", "Distance=abc"}, nullptr},
        TParseCase{"distance with unit", {"[Constant]", "Distance=3m"}, nullptr},
        TParseCase{"distance empty", {"[Constant]", "Distance="}, nullptr},
        TParseCase{"distance overflow", {"[Constant]", "Distance=99999999999"}, nullptr},
        TParseCase{"distance beyond the dialog", {"[Constant]", "Distance=9999"}, nullptr},
        TParseCase{"distance int min", {"[Constant]", "Distance=-2147483648"}, nullptr},
        TParseCase{"distance one", {"[Constant]", "Distance=1"}, nullptr},
        TParseCase{"positions at the int limits", {"[Position]", "X=2147483647", "Y=-2147483648"}, nullptr},
        TParseCase{"positions far off screen",
                   {"[Position]", "X=-16777215", "Y=16777215"},
                   [](TSettings& s) {
                     s.X = -16777215;
                     s.Y = 16777215;
                   }},
        TParseCase{"band row beyond the bar", {"[Constant]", "Tyuudan=16"}, nullptr},
        TParseCase{"out lane below its bar", {"[Constant]", "Soto=2"}, nullptr},
        TParseCase{"lane zero", {"[Constant]", "Saiuti=0"}, nullptr},
        TParseCase{
            "blanks around", {" [ Constant ] ", "  Distance = 3  "}, [](TSettings& s) { s.Distance = 3; }},
        TParseCase{"names ignore case",
                   {"[constant]", "DISTANCE=3", "[POSITION]", "x=-5"},
                   [](TSettings& s) {
                     s.Distance = 3;
                     s.X = -5;
                   }},
        TParseCase{"key in another section", {"[Position]", "Distance=3", "[Constant]", "X=7"}, nullptr},
        TParseCase{"first of two keys", {"[Constant]", "Nige=2", "Nige=5"}, [](TSettings& s) { s.Nige = 2; }},
        TParseCase{"section given twice",
                   {"[Constant]", "Nige=2", "[Position]", "X=1", "[Constant]", "Koui=8"},
                   [](TSettings& s) {
                     s.Nige = 2;
                     s.X = 1;
                     s.Koui = 8;
                   }},
        TParseCase{"key before any section", {"Distance=3"}, nullptr},
        TParseCase{"empty target", {"[Folder]", "Target="}, nullptr},
        TParseCase{"target of a cut character", {"[Folder]", "Target=\x82"}, nullptr},
        TParseCase{"target of blanks", {"[Folder]", "Target=   "}, nullptr},
        TParseCase{"target before a cut character",
                   {"[Folder]", "Target=/out \xF6"},
                   [](TSettings& s) { s.TargetDir = QStringLiteral("/out"); }},
        TParseCase{"japanese target",
                   {"[Folder]", "Target=" + EncodeCp932(u"/home/user/補正タイム")},
                   [](TSettings& s) { s.TargetDir = QStringLiteral("/home/user/補正タイム"); }},
        TParseCase{"target with equals",
                   {"[Folder]", "Target=/a=b"},
                   [](TSettings& s) { s.TargetDir = QStringLiteral("/a=b"); }},
        TParseCase{"all keys",
                   {"[Position]", "X=100", "Y=200", "[Folder]", "Target=/t", "[Constant]", "Distance=3",
                    "Display=1", "UseTG=1", "Pay=1", "Nige=2", "Senkou=4", "Koui=7", "Tyuudan=10", "Saiuti=2",
                    "Soto=5", "Osoto=6"},
                   [](TSettings& s) {
                     s = TSettings{100, 200, QStringLiteral("/t"), 3, true, true, true, 2, 4, 7, 10, 2, 5, 6};
                   }}),
    [](const testing::TestParamInfo<TParseCase>& info) {
      std::string name = info.param.Name;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

const TByteLines DefaultFile{"[Position]", "X=20",      "Y=20",     "[Folder]", "Target=", "[Constant]",
                             "Distance=2", "Display=0", "UseTG=0",  "Pay=0",    "Nige=1",  "Senkou=3",
                             "Koui=6",     "Tyuudan=9", "Saiuti=1", "Soto=3",   "Osoto=4"};

TEST(ComposeSettingsTest, FreshFileHasEveryKeyInTableOrder) {
  EXPECT_EQ(ComposeSettings({}, Defaults(), DataDir), DefaultFile);
}

TEST(ComposeSettingsTest, RewritesKnownKeysAndKeepsEverythingElse) {
  const TByteLines original{
      "; edited by hand",
      "[Constant]",
      "Pay=1",
      "Memo=\x83\x81\x83\x82",  // メモ
      "",
      "[Extra]",
      "Key=Value",
      "no equals sign",
      "[Position]",
      "Y=99",
      "Width=300",
      "[constant]",
      "distance=3",
      "Other=1",
  };
  TSettings s = ParseSettings(original, DataDir);
  EXPECT_TRUE(s.Pay);
  EXPECT_EQ(s.Distance, 3);
  EXPECT_EQ(s.Y, 99);
  s.Pay = false;
  const TByteLines expected{
      "; edited by hand",
      "[Position]",
      "X=20",
      "Y=99",
      "Width=300",
      "[Folder]",
      "Target=",
      "[Constant]",
      "Distance=3",
      "Display=0",
      "UseTG=0",
      "Pay=0",
      "Nige=1",
      "Senkou=3",
      "Koui=6",
      "Tyuudan=9",
      "Saiuti=1",
      "Soto=3",
      "Osoto=4",
      "Memo=\x83\x81\x83\x82",
      "",
      "Other=1",
      "[Extra]",
      "Key=Value",
      "no equals sign",
  };
  const TByteLines written = ComposeSettings(original, s, DataDir);
  EXPECT_EQ(written, expected);
  // A second round changes nothing.
  EXPECT_EQ(ComposeSettings(written, ParseSettings(written, DataDir), DataDir), written);
}

// Every line of `part` occurs in `whole`, in the same order.
bool IsSubsequence(const TByteLines& part, const TByteLines& whole) {
  qsizetype j = 0;
  for (const QByteArray& line : part) {
    while (j < whole.size() && whole[j] != line) ++j;
    if (j == whole.size()) return false;
    ++j;
  }
  return true;
}

TEST(ComposeSettingsTest, GarbageGivesDefaultsAndIsKept) {
  for (quint32 seed = 1; seed <= 50; ++seed) {
    QRandomGenerator random(seed);
    QByteArray bytes;
    const int size = random.bounded(1, 2000);
    // Biased towards the bytes the reader cares about.
    const char special[] = {'[', ']', '=', '\r', '\n', '\0', ' ', '\x81', '\xFF'};
    for (int i = 0; i < size; ++i) {
      bytes.append(random.bounded(3) == 0 ? special[random.bounded(int(sizeof special))]
                                          : char(random.bounded(256)));
    }
    const TByteLines lines = SplitLines(bytes);
    EXPECT_EQ(ParseSettings(lines, DataDir), Defaults()) << "seed " << seed;
    const TByteLines written = ComposeSettings(lines, Defaults(), DataDir);
    EXPECT_TRUE(IsSubsequence(lines, written)) << "seed " << seed;
    EXPECT_TRUE(IsSubsequence(DefaultFile, written)) << "seed " << seed;
  }
}

class SettingsFileTest : public testing::Test {
protected:
  QTemporaryDir Dir;
  QString Path() const { return Dir.filePath(TSettingsFile::FileName); }
  QByteArray ReadAll() const {
    QFile f(Path());
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
  }
  void Write(const QByteArray& bytes) const {
    QFile f(Path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
};

TEST_F(SettingsFileTest, MissingFileGivesDefaultsAndIsWrittenWhole) {
  TSettingsFile file(Path());
  EXPECT_EQ(file.Load(DataDir), Defaults());
  EXPECT_FALSE(QFile::exists(Path()));  // reading never creates it
  TSettings s = Defaults();
  s.TargetDir = QStringLiteral("/home/user/補正");
  file.Save(s);
  const QByteArray expected = QByteArray("[Position]\r\nX=20\r\nY=20\r\n[Folder]\r\nTarget=/home/user/") +
                              "\x95\xe2\x90\xb3" +  // 補正 in CP932
                              "\r\n[Constant]\r\nDistance=2\r\nDisplay=0\r\nUseTG=0\r\nPay=0\r\nNige=1\r\n"
                              "Senkou=3\r\nKoui=6\r\nTyuudan=9\r\nSaiuti=1\r\nSoto=3\r\nOsoto=4\r\n";
  EXPECT_EQ(ReadAll(), expected);
  EXPECT_EQ(TSettingsFile(Path()).Load(DataDir), s);
}

// A copied start directory exports into its own data folder.
TEST_F(SettingsFileTest, DataFolderTargetIsWrittenEmptyAndReadAsTheNewDataFolder) {
  Write("[Folder]\r\nTarget=/home/user/Data/\r\n");
  TSettingsFile file(Path());
  file.Save(file.Load(DataDir));
  EXPECT_TRUE(ReadAll().contains("\r\nTarget=\r\n"));
  EXPECT_EQ(TSettingsFile(Path()).Load(QStringLiteral("/copy/Data")).TargetDir, QStringLiteral("/copy/Data"));
}

TEST_F(SettingsFileTest, DisplayTwoReadsTrueAndIsWrittenOne) {
  Write("[Constant]\r\nDisplay=2\r\nDistance=x\r\n");
  TSettingsFile file(Path());
  const TSettings s = file.Load(DataDir);
  EXPECT_TRUE(s.Display);
  EXPECT_EQ(s.Distance, 2);
  file.Save(s);
  const QByteArray bytes = ReadAll();
  EXPECT_TRUE(bytes.contains("\r\nDisplay=1\r\n"));
  EXPECT_TRUE(bytes.contains("\r\nDistance=2\r\n"));
  EXPECT_FALSE(bytes.contains("Display=2"));
  EXPECT_FALSE(bytes.contains("Distance=x"));
}

TEST_F(SettingsFileTest, GarbageFileIsKeptAfterSave) {
  const QByteArray garbage("\xff\xfe\x00\x01[[[==\r\n\x81\r\nnot ini at all\n", 30);
  Write(garbage);
  TSettingsFile file(Path());
  EXPECT_EQ(file.Load(DataDir), Defaults());
  file.Save(Defaults());
  const QByteArray bytes = ReadAll();
  for (const QByteArray& line : SplitLines(garbage))
    EXPECT_TRUE(bytes.contains(line)) << line.toHex().constData();
  EXPECT_EQ(TSettingsFile(Path()).Load(DataDir), Defaults());
}

TEST_F(SettingsFileTest, KeepsWhatWasReadNotWhatIsThereAtSave) {
  Write("[Other]\r\nA=1\r\n");
  TSettingsFile file(Path());
  file.Load(DataDir);
  Write("[Other]\r\nA=2\r\n");
  file.Save(Defaults());
  EXPECT_TRUE(ReadAll().endsWith("[Other]\r\nA=1\r\n"));
}

TEST_F(SettingsFileTest, UnwritablePathThrowsAndLeavesNothing) {
  const QString path = Dir.filePath(QStringLiteral("missing/RAVEK.INI"));
  TSettingsFile file(path);
  EXPECT_EQ(file.Load(DataDir), Defaults());
  EXPECT_THROW(file.Save(Defaults()), TFileError);
  EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
