#include "store/DayStoreLoader.h"
#include "store/RaceSummary.h"

#include "position/PositionFile.h"
#include "support/RecordLines.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

#include <functional>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

constexpr char KeyA[] = "2024051205020811";
constexpr char KeyB[] = "2024051205020812";
constexpr char KeyC[] = "2024051108020107";

// A 7-section (1600 m) position line of `horses` horses; every entry "0000"
// except those given as {horse, section from the goal} -> row and lane.
QByteArray PosLine(QByteArrayView key, int horses,
                   const QMap<std::pair<int, int>, QByteArray>& entries = {}) {
  constexpr int sections = 7;
  QByteArray line = key.toByteArray() + "1600" + "11" + QByteArray::number(horses).rightJustified(2, '0');
  for (int n = 1; n <= horses; ++n) {
    line += "10";
    for (int g = sections; g >= 1; --g) line += entries.value({n, g}, "0000");
  }
  return line;
}

QByteArray Uma(QByteArrayView key, int horse, int arrival, int frame, QStringView jockey = u"騎手") {
  return RunnerBuilder(key, horse, arrival).SetFrame(frame).SetJockey(jockey).Line();
}

// A payout line paying places to the given horses.
QByteArray Places(QByteArrayView key, const QList<std::pair<int, int>>& horsePayouts) {
  TRecordBuilder builder = EmptyPayBuilder(key);
  for (int i = 0; i < horsePayouts.size(); ++i) {
    builder.SetPayEntry(TBetType::Place, i, {horsePayouts[i].first}, horsePayouts[i].second, i + 1);
  }
  return builder.Line();
}

QByteArray JockeyBytes(QStringView jockey) {
  return TRecordBuilder::Horse().SetJockey(jockey).Line().mid(SeField::Jockey, SeField::JockeyWidth);
}

class DayStoreLoaderTest : public ::testing::Test {
protected:
  QString Path(const char* name) const { return QDir(Dir.path()).filePath(QString::fromLatin1(name)); }

  void WriteFiles(const TByteLines& races, const TByteLines& umas, const TByteLines& pays,
                  const TByteLines& positions) {
    WriteLines(Path(DataFile::Race), races);
    WriteLines(Path(DataFile::Uma), umas);
    WriteLines(Path(DataFile::Pay), pays);
    TPositionFile::SavePositions(positions, Path(DataFile::Position));
  }

  QTemporaryDir Dir;
  TDayStore Store;
};

TEST_F(DayStoreLoaderTest, GroupsHorsesUnderTheirRaceInArrivalOrder) {
  // Race A's horses arrive in horse order 3, 1, 2 with arrival orders 02, 03, 01,
  // interleaved with race B's; one horse belongs to no race.
  const QByteArray a3 = Uma(KeyA, 3, 2, 2), a1 = Uma(KeyA, 1, 3, 1), a2 = Uma(KeyA, 2, 1, 1);
  const QByteArray b1 = Uma(KeyB, 1, 0, 1), b2 = Uma(KeyB, 2, 1, 1), b3 = Uma(KeyB, 3, 2, 2),
                   b4 = Uma(KeyB, 4, 3, 2);
  const QByteArray stray = Uma("2024051299999999", 1, 1, 1);
  const QByteArray posA = PosLine(KeyA, 3), posB = PosLine(KeyB, 4);
  WriteFiles({MakeRaceLine(KeyA), MakeRaceLine(KeyB), MakeRaceLine(KeyC)},
             {a3, b1, a1, stray, b2, a2, b3, b4}, {MakePayLine(KeyA)}, {PosLine(KeyC, 2), posA, posB});

  ASSERT_TRUE(LoadDayStore(Store, Dir.path()));

  ASSERT_EQ(Store.Races.size(), 3);
  EXPECT_EQ(Store.Races[0].RaceLine, MakeRaceLine(KeyA));
  EXPECT_EQ(Store.Races[0].PositionLine, posA);
  EXPECT_EQ(Store.Races[0].Runners, (TByteLines{a2, a3, a1}));
  EXPECT_EQ(Store.Races[1].PositionLine, posB);
  EXPECT_EQ(Store.Races[1].Runners, (TByteLines{b2, b3, b4, b1}));
  // A race without SE lines holds its position line alone.
  EXPECT_EQ(Store.Races[2].PositionLine, PosLine(KeyC, 2));
  EXPECT_TRUE(Store.Races[2].Runners.isEmpty());
  EXPECT_EQ(Store.UmaLines, (TByteLines{QByteArray("2024051299999999=") + stray}));
  EXPECT_EQ(Store.RaceDates, (TByteLines{"20240511", "20240512"}));
  EXPECT_EQ(Store.PayLines, (TByteLines{MakePayLine(KeyA)}));
  EXPECT_EQ(Store.PosLines, (TByteLines{PosLine(KeyC, 2), posA, posB}));

  // The summary describes horses 2, 3 and 1, in that order.
  ASSERT_EQ(Store.RaceSummaries.size(), 3);
  const QByteArray summary = Store.RaceSummaries[0];
  ASSERT_EQ(summary.size(), 17 + TRaceSummary::ValueLength);
  EXPECT_TRUE(summary.startsWith(QByteArray(KeyA) + '='));
  EXPECT_EQ(summary.mid(17 + 1, 2), "02");
  EXPECT_EQ(summary.mid(17 + 28 + 1, 2), "03");
  EXPECT_EQ(summary.mid(17 + 56 + 1, 2), "01");
  // Race C has no horse to summarise.
  EXPECT_EQ(Store.RaceSummaries[2], QByteArray(KeyC) + '=');
}

TEST_F(DayStoreLoaderTest, SummaryEntriesCarryPositionsPayoutsAndJockeyBytes) {
  // Horse 5 (frame 3) at row 3 lane 2 on the third corner and row 1 lane 1 on
  // the fourth, paid 180 yen for a place; horse 7 placed without a place payout.
  const QByteArray pos = PosLine(KeyA, 9, {{{5, 3}, "0302"}, {{5, 2}, "0101"}, {{7, 3}, "0501"}});
  const QByteArray pay = Places(KeyA, {{5, 180}, {2, 240}});
  // An older payout line for the same race must lose to the newer one.
  const QByteArray olderPay = Places(KeyA, {{5, 999}});
  WriteFiles({MakeRaceLine(KeyA)}, {Uma(KeyA, 5, 1, 3, u"武豊"), Uma(KeyA, 7, 2, 4), Uma(KeyA, 2, 3, 1)},
             {olderPay, pay}, {pos});

  ASSERT_TRUE(LoadDayStore(Store, Dir.path()));

  const QByteArray jockey5 = JockeyBytes(u"武豊");
  const QByteArray jockey = JockeyBytes(u"騎手");
  const QByteArray expected = QByteArray(KeyA) + "=" + "3" + "05" + "0302" + "0101" + "000000180" + jockey5 +
                              "4" + "07" + "0501" + "0000" + "000000000" + jockey + "1" + "02" + "0000" +
                              "0000" + "000000240" + jockey;
  ASSERT_EQ(Store.RaceSummaries.size(), 1);
  EXPECT_EQ(Store.RaceSummaries[0], expected);
  EXPECT_EQ(Store.RaceSummaries[0].size() - 17, TRaceSummary::ValueLength);
  // The race window's rebuild from the same horse list gives the same line.
  EXPECT_EQ(BuildRaceSummary(Store, Store.Races[0]), expected);
}

TEST_F(DayStoreLoaderTest, RaceWithoutPositionLineHasNoFindableSummary) {
  WriteFiles({MakeRaceLine(KeyA), MakeRaceLine(KeyB)},
             {Uma(KeyA, 1, 1, 1), Uma(KeyA, 2, 2, 1), Uma(KeyA, 3, 3, 2), Uma(KeyB, 1, 1, 1)},
             {MakePayLine(KeyA)}, {PosLine(KeyB, 1)});

  ASSERT_TRUE(LoadDayStore(Store, Dir.path()));

  EXPECT_EQ(Store.Races[0].PositionLine, QByteArray());
  const QByteArray summary = Store.RaceSummaries[0];
  EXPECT_TRUE(summary.startsWith('='));
  // Entries without positions, and no payout looked up for an empty name.
  const QByteArray jockey = JockeyBytes(u"騎手");
  EXPECT_EQ(summary, Unspaced("=1 01 000000000") + jockey + Unspaced("1 02 000000000") + jockey +
                         Unspaced("2 03 000000000") + jockey);
  for (const QByteArray& line : std::as_const(Store.RaceSummaries)) {
    EXPECT_FALSE(line.startsWith(QByteArray(KeyA))) << line.constData();
  }
}

// A race delivered twice (a corrected record) is one race: the last record,
// with every horse once, the last SE record of each horse number.
TEST_F(DayStoreLoaderTest, DuplicateRaceLineKeepsTheLastWithAllItsHorses) {
  const QByteArray pos = PosLine(KeyA, 3);
  const QByteArray corrected = RaceBuilder(KeyA).SetRaceName(u"訂正ステークス").Line();
  const QByteArray horse2Again = Uma(KeyA, 2, 2, 1, u"訂正騎手");
  const TByteLines umas = {Uma(KeyA, 1, 1, 1), Uma(KeyA, 2, 2, 1), Uma(KeyA, 3, 3, 2), horse2Again};
  WriteFiles({MakeRaceLine(KeyA), corrected}, umas, {}, {pos});

  ASSERT_TRUE(LoadDayStore(Store, Dir.path()));

  ASSERT_EQ(Store.Races.size(), 1);
  EXPECT_EQ(Store.Races[0].RaceLine, corrected);
  EXPECT_EQ(Store.Races[0].PositionLine, pos);
  EXPECT_EQ(Store.Races[0].Runners, (TByteLines{umas[0], horse2Again, umas[2]}));
  EXPECT_EQ(Store.RaceSummaries[0].size(), 17 + TRaceSummary::ValueLength);
  EXPECT_EQ(Store.RaceDates, (TByteLines{"20240512"}));
}

TEST_F(DayStoreLoaderTest, FewerThanThreeHorsesGiveNoUsableSummary) {
  for (int horses = 0; horses < 3; ++horses) {
    TRaceEntry race{{}, PosLine(KeyA, 2), {}};
    for (int n = 1; n <= horses; ++n) race.Runners.append(Uma(KeyA, n, n, 1));
    EXPECT_EQ(BuildRaceSummary(Store, race), QByteArray(KeyA) + '=') << horses << " horses";
  }
  EXPECT_EQ(BuildRaceSummary(Store, {}), "=");
}

TEST_F(DayStoreLoaderTest, NonNumericHorseNumberFailsAndLeavesTheStore) {
  WriteFiles({MakeRaceLine(KeyA)}, {Uma(KeyA, 1, 1, 1)}, {}, {});
  ASSERT_TRUE(LoadDayStore(Store, Dir.path()));
  const TDayStore before = Store;

  const QByteArray bad = RunnerBuilder(KeyA, 2, 2).SetBytes(SeField::HorseNumber, "x2").Line();
  WriteFiles({MakeRaceLine(KeyA)}, {Uma(KeyA, 1, 1, 1), bad, Uma(KeyA, 3, 3, 1)}, {}, {PosLine(KeyA, 3)});
  try {
    LoadDayStore(Store, Dir.path());
    ADD_FAILURE() << "no conversion error";
  } catch (const TConvertError& error) {
    // The message leads the user to the race and the file.
    EXPECT_TRUE(error.Message().contains(QString::fromLatin1(KeyA))) << error.what();
    EXPECT_TRUE(error.Message().contains(u"UmaData.dat")) << error.what();
    EXPECT_TRUE(error.Message().contains(u"'x2'")) << error.what();
  }

  ASSERT_EQ(Store.Races.size(), 1);
  EXPECT_EQ(Store.Races[0].PositionLine, before.Races[0].PositionLine);
  EXPECT_EQ(Store.Races[0].Runners, before.Races[0].Runners);
  EXPECT_EQ(Store.RaceSummaries, before.RaceSummaries);
  EXPECT_EQ(Store.PosLines, before.PosLines);
}

TEST_F(DayStoreLoaderTest, MissingDataFileLeavesEveryListUnchanged) {
  WriteFiles({MakeRaceLine(KeyA)}, {Uma(KeyA, 1, 1, 1), Uma(KeyA, 2, 2, 1), Uma(KeyA, 3, 3, 2)},
             {MakePayLine(KeyA)}, {PosLine(KeyA, 3)});
  Store.CornerNames = QStringList{u"Ｓ前"_s};
  ASSERT_TRUE(LoadDayStore(Store, Dir.path()));
  const TDayStore loaded = Store;

  for (const char* missing : {DataFile::Race, DataFile::Uma}) {
    const QString path = Path(missing);
    ASSERT_TRUE(QFile::rename(path, path + u".away"_s));
    // The other files now describe a different day; none of it may be read.
    WriteLines(Path(missing == DataFile::Race ? DataFile::Uma : DataFile::Race), {MakeRaceLine(KeyB)});
    EXPECT_FALSE(DataFilesExist(Dir.path()));
    EXPECT_FALSE(LoadDayStore(Store, Dir.path())) << missing;
    EXPECT_EQ(Store.Races.size(), 1);
    EXPECT_EQ(Store.Races[0].PositionLine, loaded.Races[0].PositionLine) << missing;
    EXPECT_EQ(Store.Races[0].Runners, loaded.Races[0].Runners) << missing;
    EXPECT_EQ(Store.UmaLines, loaded.UmaLines);
    EXPECT_EQ(Store.PayLines, loaded.PayLines);
    EXPECT_EQ(Store.RaceDates, loaded.RaceDates);
    EXPECT_EQ(Store.PosLines, loaded.PosLines);
    EXPECT_EQ(Store.RaceSummaries, loaded.RaceSummaries);
    ASSERT_TRUE(QFile::rename(path + u".away"_s, path));
    WriteFiles({MakeRaceLine(KeyA)}, {Uma(KeyA, 1, 1, 1), Uma(KeyA, 2, 2, 1), Uma(KeyA, 3, 3, 2)},
               {MakePayLine(KeyA)}, {PosLine(KeyA, 3)});
  }
  EXPECT_EQ(Store.CornerNames, QStringList{u"Ｓ前"_s});
}

// Files that load but look damaged are named; sound files give no note.
TEST_F(DayStoreLoaderTest, DamagedLookingFilesAreNamedInTheNotes) {
  struct TNoteCase {
    const char* Name;
    std::function<void(const QString&)> Spoil;
    QStringList Notes;
  };
  const TNoteCase cases[] = {
      {"sound", [](const QString&) {}, {}},
      {"no payouts",
       [](const QString& dir) { QFile::remove(QDir(dir).filePath(u"PayData.dat"_s)); },
       {u"PayData.dat がありません。払戻なしで表示します。"_s}},
      {"empty horse file",
       [](const QString& dir) { WriteLines(QDir(dir).filePath(u"UmaData.dat"_s), {}); },
       {u"UmaData.dat が空です。"_s,
        u"UmaData.dat に出走馬の記録がないレースが 2 あります（最初は 2024051205020811）。"_s}},
      {"line cut short",
       [](const QString& dir) {
         WriteLines(QDir(dir).filePath(u"RaceData.dat"_s),
                    {MakeRaceLine(KeyA), MakeRaceLine(KeyB).chopped(1)});
       },
       {u"RaceData.dat の 1 行は記録として読めないため飛ばしました。"_s}},
  };
  for (const TNoteCase& c : cases) {
    WriteFiles({MakeRaceLine(KeyA), MakeRaceLine(KeyB)}, {Uma(KeyA, 1, 1, 1), Uma(KeyB, 1, 1, 1)},
               {MakePayLine(KeyA)}, {PosLine(KeyA, 3)});
    c.Spoil(Dir.path());
    QStringList notes;
    ASSERT_TRUE(LoadDayStore(Store, Dir.path(), &notes)) << c.Name;
    EXPECT_EQ(notes, c.Notes) << c.Name;
  }
}

TEST_F(DayStoreLoaderTest, MissingPositionFileGivesEmptyLineZero) {
  WriteFiles({MakeRaceLine(KeyA)}, {Uma(KeyA, 1, 1, 1)}, {}, {PosLine(KeyA, 1)});
  ASSERT_TRUE(QFile::remove(Path(DataFile::Position)));
  Store.PosLines = {PosLine(KeyA, 1)};

  ASSERT_TRUE(LoadDayStore(Store, Dir.path()));
  EXPECT_TRUE(Store.PosLines.isEmpty());
  EXPECT_EQ(Store.Races[0].PositionLine, QByteArray());
}

TEST_F(DayStoreLoaderTest, LaterPositionLineOfARaceWinsAndOthersAreNotTaken) {
  // Two stored lines of race A (the later wins, as a scan for the last match
  // gives), and a race line whose record is invalid: no reader takes it, so
  // it is left out and cannot take the last line of the file.
  const QByteArray first = PosLine(KeyA, 3, {{{1, 3}, "0101"}});
  const QByteArray second = PosLine(KeyA, 3, {{{1, 3}, "0202"}});
  const QByteArray invalidRace = MakeRaceLine(KeyB).left(1000);
  WriteFiles({MakeRaceLine(KeyA), invalidRace}, {}, {}, {first, second, PosLine(KeyB, 2)});

  ASSERT_TRUE(LoadDayStore(Store, Dir.path()));
  EXPECT_EQ(Store.Races[0].PositionLine, second);
  EXPECT_EQ(Store.Races.size(), 1);
  EXPECT_EQ(Store.RaceDates, (TByteLines{"20240512"}));
}

TEST_F(DayStoreLoaderTest, HorseOutsideItsPositionLineReadsAsNoPosition) {
  // The position line knows two horses; the third finisher is horse 9.
  const TRaceEntry race{{},
                        PosLine(KeyA, 2, {{{1, 3}, "0101"}, {{1, 2}, "0102"}}),
                        {Uma(KeyA, 1, 1, 1), Uma(KeyA, 2, 2, 1), Uma(KeyA, 9, 3, 5)}};
  const QByteArray summary = BuildRaceSummary(Store, race);
  ASSERT_EQ(summary.size(), 17 + TRaceSummary::ValueLength);
  EXPECT_EQ(summary.mid(17, 11), Unspaced("1010101 0102"));
  EXPECT_EQ(summary.mid(17 + 56, 11), Unspaced("509 0000 0000"));
}

}  // namespace
