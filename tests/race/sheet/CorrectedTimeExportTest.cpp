#include "race/CorrectedTimeExport.h"
#include "race/sheet/SheetFixtures.h"
#include "text/Errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray Blank(90, ' ');

// A race of the given key on a mile line: horse 2 lost 10 m, horse 1 none.
TRaceEntry MileRace(QByteArrayView key) {
  QByteArray line = MileLine();
  line.replace(0, 16, key.toByteArray());
  return {MakeRaceLine(key.toByteArray()), line, {Uma(key, 1, 1, 944), Uma(key, 2, 2, 945)}};
}

const QByteArray MileAdded = QByteArray(5, ' ') + "   -6" + QByteArray(80, ' ');

struct TExportFixture : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    Settings.TargetDir = Dir.path();
  }
  TByteLines Lines(const QString& name) const { return ReadLines(Dir.filePath(name)); }

  QTemporaryDir Dir;
  TSettings Settings;
};

TEST(ExportFileNameTest, VenueCharacter) {
  const struct {
    const char* Key;
    const char* Name;
  } cases[] = {{"2014052605010311", "FT201415.dat"},
               {"2014052610020311", "FT20142A.dat"},
               {"2014052601120101", "FT2014121.dat"}};
  for (const auto& c : cases)
    EXPECT_EQ(ExportFileName(MileRace(c.Key).PositionLine), QString::fromLatin1(c.Name));
}

TEST_F(TExportFixture, FirstExportMakesNinetySixLines) {
  ExportCorrectedTimes(MileRace("2014052605010311"), false, Settings);
  const TByteLines lines = Lines(QStringLiteral("FT201415.dat"));
  ASSERT_EQ(lines.size(), 96);
  for (qsizetype i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], i == 34 ? MileAdded : Blank) << i;
  QFile file(Dir.filePath(QStringLiteral("FT201415.dat")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.size(), 96 * 92);
}

TEST_F(TExportFixture, NinthDayLengthensByTwelve) {
  ExportCorrectedTimes(MileRace("2014052605010311"), false, Settings);
  ExportCorrectedTimes(MileRace("2014052605010901"), false, Settings);
  const TByteLines lines = Lines(QStringLiteral("FT201415.dat"));
  ASSERT_EQ(lines.size(), 108);
  EXPECT_EQ(lines[96], MileAdded);
  EXPECT_EQ(lines[34], MileAdded);
  EXPECT_EQ(lines[107], Blank);
}

TEST_F(TExportFixture, OverwriteRule) {
  TRaceEntry race = MileRace("2014052605010311");
  ExportCorrectedTimes(race, false, Settings);
  // Horse 1 now five lanes out at the 4th corner: its line changes.
  race.PositionLine.replace(24 + 2 + 4 * 5, 4, "0105");
  ExportCorrectedTimes(race, false, Settings);
  EXPECT_EQ(Lines(QStringLiteral("FT201415.dat"))[34], MileAdded);
  ExportCorrectedTimes(race, true, Settings);
  EXPECT_NE(Lines(QStringLiteral("FT201415.dat"))[34], MileAdded);
  EXPECT_TRUE(Lines(QStringLiteral("FT201415.dat"))[34].startsWith("   -5   -6"));
}

TEST_F(TExportFixture, YearFolderBelowFukaTime) {
  const QString fuka = Dir.filePath(QStringLiteral("FUKA_TIME"));
  ASSERT_TRUE(QDir().mkdir(fuka));
  Settings.TargetDir = fuka;
  ExportCorrectedTimes(MileRace("2014052610020311"), false, Settings);
  EXPECT_TRUE(QFile::exists(fuka + QStringLiteral("/2014/FT20142A.dat")));
  ExportCorrectedTimes(MileRace("2014052610020312"), false, Settings);
  EXPECT_EQ(ReadLines(fuka + QStringLiteral("/2014/FT20142A.dat"))[35], MileAdded);

  // The folder name must end the path exactly.
  Settings.TargetDir = Dir.filePath(QStringLiteral("fuka_time"));
  EXPECT_THROW(ExportCorrectedTimes(MileRace("2014052610020311"), false, Settings), TFileError);
}

TEST_F(TExportFixture, FailuresLeaveNothingBehind) {
  // A FUKA_TIME folder that does not exist: the year folder cannot be made.
  Settings.TargetDir = Dir.filePath(QStringLiteral("missing/FUKA_TIME"));
  try {
    ExportCorrectedTimes(MileRace("2014052605010311"), false, Settings);
    FAIL() << "no error";
  } catch (const TFileError& e) {
    EXPECT_TRUE(e.Message().contains(QDir::toNativeSeparators(Settings.TargetDir + QStringLiteral("/2014"))))
        << e.Message().toStdString();
  }
  Settings.TargetDir = Dir.filePath(QStringLiteral("missing"));
  EXPECT_THROW(ExportCorrectedTimes(MileRace("2014052605010311"), false, Settings), TFileError);
  Settings.TargetDir.clear();
  EXPECT_THROW(ExportCorrectedTimes(MileRace("2014052605010311"), false, Settings), TFileError);

  Settings.TargetDir = Dir.path();
  const struct {
    const char* Name;
    TRaceEntry Race;
    bool Missing;  // missing data rather than a field that is no number
  } bad[] = {{"no position line", {{}, {}, {Uma(MileKey, 1, 1, 944)}}, true},
             {"letters in the key", MileRace("20140526050103AB"), false},
             {"day 0", MileRace("2014052605010011"), false},
             {"race 13", MileRace("2014052605010313"), false},
             {"no runners", {{}, MileRace("2014052605010311").PositionLine, {}}, true}};
  for (const auto& c : bad) {
    if (c.Missing)
      EXPECT_THROW(ExportCorrectedTimes(c.Race, true, Settings), TDataError) << c.Name;
    else
      EXPECT_THROW(ExportCorrectedTimes(c.Race, true, Settings), TConvertError) << c.Name;
  }
  EXPECT_TRUE(QDir(Dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(TExportFixture, AllRacesSkipSteeplechasesAndKeepWrittenLines) {
  QList<TRaceEntry> races;
  const auto add = [&](const char* key, int track) {
    TRaceEntry race = MileRace(key);
    race.RaceLine = RaceBuilder(key).SetTrackCode(track).Line();
    races.append(race);
  };
  add("2014052605010301", 11);
  add("2014052605010302", 51);  // steeplechase
  add("2014052605010303", 23);
  add("2014052606010101", 11);
  // Race 1 was written from its window with other figures.
  TRaceEntry edited = MileRace("2014052605010301");
  edited.PositionLine.replace(24 + 2 + 4 * 5, 4, "0105");
  ExportCorrectedTimes(edited, true, Settings);
  const QByteArray editedLine = Lines(QStringLiteral("FT201415.dat"))[24];

  ExportAllRaces(races, Settings);
  const TByteLines tokyo = Lines(QStringLiteral("FT201415.dat"));
  EXPECT_EQ(tokyo[24], editedLine);
  EXPECT_EQ(tokyo[25], Blank);
  EXPECT_EQ(tokyo[26], MileAdded);
  EXPECT_EQ(Lines(QStringLiteral("FT201416.dat"))[0], MileAdded);
}

// A race that cannot be exported is named; every other race is still written,
// and only lines given values are counted.
TEST_F(TExportFixture, AllRacesGoAsFarAsTheyCan) {
  QList<TRaceEntry> races;
  const auto with = [](const char* key, const TByteLines& runners) {
    TRaceEntry race = MileRace(key);
    race.Runners = runners;
    return race;
  };
  races.append(MileRace("2014052605010301"));
  races.append({MakeRaceLine("2014052605010302"), {}, {Uma("2014052605010302", 1, 1, 944)}});
  races.append(with("2014052605010303", {}));
  races.append(with("2014052605010304", {Uma("2014052605010304", 1, 1, 944)}));
  races.append(MileRace("2014052607010101"));
  races.append(MileRace("2014052607010102"));
  races.append(MileRace("2014052606010101"));
  ASSERT_TRUE(QDir().mkpath(Dir.filePath(QStringLiteral("FT201417.dat"))));

  const TExportAllResult done = ExportAllRaces(races, Settings);
  const TByteLines tokyo = Lines(QStringLiteral("FT201415.dat"));
  EXPECT_EQ(tokyo[24], MileAdded);
  for (int line : {25, 26, 27}) EXPECT_EQ(tokyo[line], Blank) << line;
  EXPECT_EQ(Lines(QStringLiteral("FT201416.dat"))[0], MileAdded);
  EXPECT_EQ(done.Written, 2);
  EXPECT_EQ(done.NoValues, 1);
  QStringList failed;
  for (const TExportFailure& f : done.Failed) failed.append(QString::fromLatin1(f.RaceKey));
  EXPECT_EQ(failed, (QStringList{QStringLiteral("2014052605010302"), QStringLiteral("2014052605010303"),
                                 QStringLiteral("2014052607010101"), QStringLiteral("2014052607010102")}));
  ASSERT_EQ(done.Failed.size(), 4);
  EXPECT_TRUE(done.Failed[1].Reason.contains(QStringLiteral("出走馬")))
      << done.Failed[1].Reason.toStdString();
  EXPECT_TRUE(done.Failed[2].Reason.contains(QStringLiteral("FT201417.dat")))
      << done.Failed[2].Reason.toStdString();
  // The report gives a reason once, with every race it stopped.
  const QStringList report = ExportFailureLines(done.Failed);
  ASSERT_EQ(report.size(), 3);
  EXPECT_TRUE(report[2].startsWith(QStringLiteral("レース 2014052607010101, 2014052607010102: ")))
      << report[2].toStdString();
}

}  // namespace
