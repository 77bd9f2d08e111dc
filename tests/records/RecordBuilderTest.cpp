#include "records/RecordBuilder.h"

#include "support/RecordLines.h"

#include "text/Cp932.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

TEST(RecordBuilderTest, NewLinesAreBlankWithTypeAndKind) {
  struct TCase {
    TRecordBuilder Builder;
    const char* Head;
    int Length;
  };
  for (const TCase& c :
       {TCase{TRecordBuilder::Race(), "RA7", 1270}, TCase{TRecordBuilder::Horse('6'), "SE6", 553},
        TCase{TRecordBuilder::Pay(), "HR1", 717}}) {
    const QByteArray& line = c.Builder.Line();
    EXPECT_EQ(line.size(), c.Length);
    EXPECT_TRUE(line.startsWith(c.Head));
    EXPECT_EQ(line.count(' '), c.Length - 3);
  }
}

TEST(RecordBuilderTest, FieldsLandAtTheirOffsets) {
  const QByteArray race = TRecordBuilder::Race()
                              .SetRaceKey(2024, 512, 5, 2, 8, 11)
                              .SetRaceName(u"東京優駿")
                              .SetTrackCode(11)
                              .SetDistance(2400)
                              .SetCorner(3, 4, "(*1,3)-2")
                              .Line();
  EXPECT_EQ(race.mid(11, 16), "2024051205020811");
  EXPECT_EQ(race.mid(32, 60), EncodeCp932(u"東京優駿") + QByteArray(52, ' '));
  EXPECT_EQ(race.mid(697, 4), "2400");
  EXPECT_EQ(race.mid(705, 2), "11");
  EXPECT_EQ(race.at(981 + 3 * 72), '4');
  EXPECT_EQ(race.mid(983 + 3 * 72, 70), QByteArray("(*1,3)-2").leftJustified(70, ' '));
  EXPECT_EQ(race.size(), 1270);

  const QByteArray horse = TRecordBuilder::Horse().SetTime(945).SetHorseNumber(3).SetFrame(2).Line();
  EXPECT_EQ(horse.mid(338, 4), "1345");
  EXPECT_EQ(horse.mid(27, 3), "203");

  const QByteArray pay = TRecordBuilder::Pay()
                             .SetPayEntry(TBetType::BracketQuinella, 0, {3, 6}, 1230, 5)
                             .SetPayEntry(TBetType::Trifecta, 5, {3, 5, 7}, 12340, 12)
                             .Line();
  EXPECT_EQ(pay.mid(206, 13), "3600000123005");
  EXPECT_EQ(pay.mid(717 - 19, 19), "0305070000123400012");
  EXPECT_EQ(pay.size(), 717);
}

// Every refused value leaves the line exactly as it was.
TEST(RecordBuilderTest, ValuesThatDoNotFitAreRefused) {
  const std::function<void(TRecordBuilder&)> refused[] = {
      [](TRecordBuilder& b) { b.SetRaceName(QString(31, QChar(u'馬'))); },  // 62 bytes
      [](TRecordBuilder& b) { b.SetShortName(u"３歳上a"); },
      [](TRecordBuilder& b) { b.SetDistance(10000); },
      [](TRecordBuilder& b) { b.SetTrackCode(-1); },
      [](TRecordBuilder& b) { b.SetCorner(4, 1, "1"); },
      [](TRecordBuilder& b) { b.SetCorner(0, 1, QByteArray(71, '1')); },
      [](TRecordBuilder& b) { b.SetBytes(1269, "ab"); },
      [](TRecordBuilder& b) { b.SetBytes(-1, "a"); },
      [](TRecordBuilder& b) { b.SetRaceKey("202405120502081"); },
      [](TRecordBuilder& b) { b.SetRaceKey(2024, 512, 5, 2, 8, 100); },
      [](TRecordBuilder& b) { b.SetHorseNumber(1); },  // not a race field
  };
  for (const auto& set : refused) {
    TRecordBuilder builder = TRecordBuilder::Race();
    const QByteArray before = builder.Line();
    EXPECT_THROW(set(builder), std::invalid_argument);
    EXPECT_EQ(builder.Line(), before);
  }
  TRecordBuilder pay = TRecordBuilder::Pay();
  EXPECT_THROW(pay.SetPayEntry(TBetType::Win, 3, {1}, 100, 1), std::invalid_argument);
  EXPECT_THROW(pay.SetPayEntry(TBetType::BracketQuinella, 0, {3, 16}, 100, 1), std::invalid_argument);
  EXPECT_THROW(pay.SetPayEntry(TBetType::Quinella, 0, {3}, 100, 1), std::invalid_argument);
  EXPECT_THROW(pay.SetPayEntry(TBetType::Win, 0, {3}, 1000000000, 1), std::invalid_argument);
  EXPECT_THROW(pay.SetPayEntry(TBetType::Win, 0, {3}, 100, 100), std::invalid_argument);
  EXPECT_EQ(pay.Line(), TRecordBuilder::Pay().Line());
  TRecordBuilder horse = TRecordBuilder::Horse();
  EXPECT_THROW(horse.SetTime(6000), std::invalid_argument);
  EXPECT_THROW(horse.SetJockey(u"武豊騎手です"), std::invalid_argument);
}

TEST(RecordBuilderTest, SharedTestLinesHaveTheirLengths) {
  EXPECT_EQ(MakeRaceLine().size(), 1270);
  EXPECT_EQ(MakeRunnerLine(DefaultRaceKey, 18, 0).size(), 553);
  EXPECT_EQ(MakePayLine().size(), 717);
  EXPECT_EQ(MakePayLine().mid(11, 16), DefaultRaceKey);
}

}  // namespace
