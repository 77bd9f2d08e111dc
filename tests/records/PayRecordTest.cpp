#include "records/PayRecord.h"
#include "records/Venues.h"

#include "support/RecordLines.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct TPayCase {
  TBetType BetType;
  const char16_t* Text;
};

class PayoutTextTest : public testing::TestWithParam<TPayCase> {};

TEST_P(PayoutTextTest, TitleThenEntries) {
  EXPECT_EQ(TPayRecord().PayoutText(MakePayLine(), GetParam().BetType), QString::fromUtf16(GetParam().Text));
}

INSTANTIATE_TEST_SUITE_P(
    AllBetTypes, PayoutTextTest,
    testing::Values(TPayCase{TBetType::Win, u"単勝3番￥450（2人気）"},
                    TPayCase{TBetType::Place, u"複勝3番￥150（2人気）5番￥200（3人気）7番￥310（6人気）"},
                    TPayCase{TBetType::BracketQuinella, u"枠連2－3￥980（4人気）"},
                    TPayCase{TBetType::Quinella, u"馬連3－5￥1230（5人気）"},
                    TPayCase{TBetType::QuinellaPlace,
                             u"ワイド3－5￥480（5人気）3－7￥720（9人気）5－7￥950（12人気）"},
                    TPayCase{TBetType::Exacta, u"馬単3→5￥2150（8人気）"},
                    TPayCase{TBetType::Trio, u"三連複3－5－7￥4560（15人気）"},
                    TPayCase{TBetType::Trifecta, u"三連単3→5→7￥12340（12人気）"}));

TEST(PayRecordTest, EntriesAreSkippedAndDeadHeatsFollowOneTitle) {
  struct TCase {
    const char* Name;
    std::function<void(TRecordBuilder&)> Change;
    TBetType BetType;
    const char16_t* Text;
  };
  const TCase cases[] = {
      {"nothing paid", [](TRecordBuilder&) {}, TBetType::Win, u""},
      {"dead heat for first",
       [](TRecordBuilder& b) {
         b.SetPayEntry(TBetType::Win, 0, {3}, 450, 2).SetPayEntry(TBetType::Win, 1, {10}, 380, 1);
       },
       TBetType::Win, u"単勝3番￥450（2人気）10番￥380（1人気）"},
      {"first entry zeros, a later one paid",
       [](TRecordBuilder& b) {
         b.SetPayEntry(TBetType::Quinella, 2, {1, 18}, 123456789, 999);
       },
       TBetType::Quinella, u"1－18￥123456789（999人気）"},
      {"bracket of one frame twice",
       [](TRecordBuilder& b) {
         b.SetPayEntry(TBetType::BracketQuinella, 0, {3, 6}, 1500, 7);
       },
       TBetType::BracketQuinella, u"枠連3－6￥1500（7人気）"},
      {"quinella with a zero horse",
       [](TRecordBuilder& b) {
         b.SetPayEntry(TBetType::Quinella, 0, {3, 0}, 100, 1)
             .SetPayEntry(TBetType::Quinella, 1, {3, 5}, 200, 2);
       },
       TBetType::Quinella, u"馬連3－5￥200（2人気）"},
      {"trio with a zero horse",
       [](TRecordBuilder& b) {
         b.SetPayEntry(TBetType::Trio, 0, {3, 0, 7}, 100, 1);
       },
       TBetType::Trio, u"三連複"},
      {"blank entries count as zeros",
       [](TRecordBuilder& b) {
         const TPayBlock block = PayBlock(TBetType::Exacta);
         b.SetBytes(block.Offset, QByteArray(block.Count * block.EntryLength(), ' '));
       },
       TBetType::Exacta, u""},
      {"blank payout and rank of a paid horse",
       [](TRecordBuilder& b) {
         b.SetBytes(PayBlock(TBetType::Win).Offset, QByteArray("05").leftJustified(13, ' '));
       },
       TBetType::Win, u"単勝5番￥0（0人気）"},
  };
  for (const TCase& c : cases) {
    TRecordBuilder builder = EmptyPayBuilder();
    c.Change(builder);
    EXPECT_EQ(TPayRecord().PayoutText(builder.Line(), c.BetType), QString::fromUtf16(c.Text)) << c.Name;
  }
}

TEST(PayRecordTest, PlacePayoutsKeepTheStoredField) {
  TRecordBuilder builder = EmptyPayBuilder()
                               .SetPayEntry(TBetType::Place, 0, {3}, 150, 2)
                               .SetPayEntry(TBetType::Place, 1, {5}, 200, 3);
  const QByteArray line = builder.Line();
  TPayRecord pay;
  EXPECT_EQ(pay.PayoutText(line, TBetType::Place), u"複勝3番￥150（2人気）5番￥200（3人気）"_s);
  EXPECT_EQ(pay.PlacePayouts(line), "3=000000150,5=000000200");
  EXPECT_EQ(pay.PlacePayouts(EmptyPayBuilder().Line()), QByteArray());
  // Entries after a blank one still count.
  const TPayBlock place = PayBlock(TBetType::Place);
  builder.SetBytes(place.Offset, QByteArray(13, ' ')).SetPayEntry(TBetType::Place, 4, {12}, 1230, 9);
  EXPECT_EQ(pay.PlacePayouts(builder.Line()), "5=000000200,12=000001230");
}

TEST(PayRecordTest, FindPayLineTakesTheLastLineOfTheRace) {
  const QByteArray first = MakePayLine("2024051205020811");
  const QByteArray other = MakePayLine("2024051205020812");
  const QByteArray later = PayBuilder("2024051205020811").SetPayEntry(TBetType::Win, 0, {9}, 990, 4).Line();
  const TByteLines lines = {first, "HR bad", later, other};
  TPayRecord pay;
  EXPECT_EQ(pay.FindPayLine(lines, "2024051205020811"), later);
  EXPECT_EQ(pay.FindPayLine(lines, "2024051205020812"), other);
  EXPECT_EQ(pay.FindPayLine(lines, "2024051205020801"), QByteArray());
  EXPECT_EQ(pay.FindPayLine({}, "2024051205020811"), QByteArray());
  // An invalid line has the empty key, as the race key of an invalid race line does.
  EXPECT_EQ(pay.FindPayLine({first, "HR bad"}, ""), "HR bad");
}

TEST(VenueNameTest, CodeTable) {
  const char16_t* names[] = {u"札幌", u"函館", u"福島", u"新潟", u"東京",
                             u"中山", u"中京", u"京都", u"阪神", u"小倉"};
  for (int code = 1; code <= 10; ++code) {
    EXPECT_EQ(VenueName(QByteArray::number(code).rightJustified(2, '0')),
              QString::fromUtf16(names[code - 1]));
  }
  for (const char* code : {"00", "11", "1", "01 ", "", "  ", "0A", "-1"}) {
    EXPECT_EQ(VenueName(code), QString()) << code;
  }
}

}  // namespace
