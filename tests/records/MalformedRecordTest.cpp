#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RunnerRecord.h"

#include "support/RecordLines.h"
#include "text/Cp932.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;

namespace {

// Lines of every length near the record lengths, with the right record type and
// otherwise random bytes (the sanitizer build also sees that no operation reads
// outside its buffer).
TByteLines MalformedLines() {
  std::mt19937 random(20240512);
  std::uniform_int_distribution<int> byte(0, 255);
  const auto noise = [&](int size) {
    QByteArray bytes(size, '\0');
    for (char& c : bytes) c = char(byte(random));
    return bytes;
  };
  TByteLines lines = {{}, "R", "RA", "SE", "HR", QByteArray(1270, '\0'), QByteArray(553, '\xff')};
  for (const auto& [type, length] : {std::pair{"RA", 1270}, std::pair{"SE", 553}, std::pair{"HR", 717}}) {
    for (int size = length - 3; size <= length + 3; ++size) {
      for (int round = 0; round < 20; ++round) lines.append(type + noise(size - 2));
    }
  }
  // Valid lines with a digit or sign where blanks belong, and the reverse.
  lines.append(MakeRaceLine().replace(' ', '-'));
  lines.append(MakeRunnerLine().replace('0', ' '));
  lines.append(MakePayLine().replace('0', '+'));
  return lines;
}

bool IsNumber(QByteArrayView field) {
  try {
    StrToInt(field);
    return true;
  } catch (const TConvertError&) {
    return false;
  }
}

// Whether a converting accessor threw TConvertError; any other exception fails the test.
template <typename TCall>
bool ThrowsConvertError(TCall call) {
  try {
    call();
  } catch (const TConvertError&) {
    return true;
  }
  return false;
}

QByteArray Field(const QByteArray& line, int offset, int width) {
  return line.mid(offset, width);
}

// A line the accessor rejects gives its defaults; an accepted one gives the
// bytes at its fields, or a TConvertError exactly where a number field holds no
// number. Returns how many of the three records accepted the line.
int CheckEveryOperation(const QByteArray& line) {
  TRaceRecord race;
  TRunnerRecord runner;
  TPayRecord pay;
  int accepted = 0;
  SCOPED_TRACE(testing::Message() << line.size() << " bytes: " << line.left(2).toHex().constData());
  const QByteArray key = Field(line, KeyField::RaceKey, KeyField::RaceKeyWidth);
  // A repeated line lists its date once; a rejected one lists the empty date.
  EXPECT_EQ(race.DateList({line, line}), race.RaceDate(line) + "\r\n");
  if (race.LoadRecord(line)) {
    ++accepted;
    EXPECT_EQ(race.RaceDate(line), Field(line, KeyField::RaceKey, KeyField::DateWidth));
    EXPECT_EQ(race.MeetingKey(line), Field(line, KeyField::RaceKey, KeyField::MeetingKeyWidth));
    EXPECT_EQ(race.RaceKey(line), key);
    EXPECT_EQ(race.RaceName(line), DecodeCp932(Field(line, RaField::RaceName, RaField::RaceNameWidth)));
    EXPECT_EQ(race.WeatherCode(line), Field(line, RaField::Weather, 1));
    EXPECT_EQ(ThrowsConvertError([&] { race.TrackDistance(line); }),
              !IsNumber(Field(line, RaField::TrackCode, 2)));
    ThrowsConvertError([&] { race.RaceLabel(line); });
    ThrowsConvertError([&] { race.ClassLabel(line); });
    ThrowsConvertError([&] { race.GoingLabel(line); });
    for (int corner = -1; corner <= 5; ++corner) {
      const qsizetype size = race.CornerOrder(line, corner).size();
      EXPECT_TRUE(size == 0 || size == RaField::CornerOrderWidth) << corner;
    }
  } else {
    for (const QByteArray& empty : {race.RaceDate(line), race.MeetingKey(line), race.RaceKey(line)})
      EXPECT_EQ(empty, QByteArray());
    for (const QString& empty : {race.RaceName(line), race.TrackDistance(line), race.RaceLabel(line),
                                 race.ClassLabel(line), race.GoingLabel(line)})
      EXPECT_EQ(empty, QString());
    EXPECT_EQ(race.WeatherCode(line), "0");
    for (int corner = -1; corner <= 5; ++corner) EXPECT_EQ(race.CornerOrder(line, corner), QByteArray());
  }

  if (runner.LoadRecord(line)) {
    ++accepted;
    EXPECT_EQ(runner.RaceKey(line), key);
    EXPECT_EQ(runner.FrameNumber(line), Field(line, SeField::Frame, 1));
    EXPECT_EQ(runner.HorseNumber(line), Field(line, SeField::HorseNumber, 2));
    EXPECT_EQ(runner.HorseName(line), DecodeCp932(Field(line, SeField::HorseName, SeField::HorseNameWidth)));
    EXPECT_EQ(runner.JockeyName(line), Field(line, SeField::Jockey, SeField::JockeyWidth));
    EXPECT_EQ(runner.ArrivalOrder(line), Field(line, SeField::Arrival, 2));
    EXPECT_EQ(runner.FinalPlace(line), Field(line, SeField::FinalPlace, 2));
    EXPECT_EQ(ThrowsConvertError([&] { runner.AbnormalMark(line); }),
              !IsNumber(Field(line, SeField::Abnormality, 1)));
    EXPECT_EQ(ThrowsConvertError([&] { runner.RunTime(line); }), !IsNumber(Field(line, SeField::Time, 4)));
  } else {
    for (const QByteArray& empty :
         {runner.RaceKey(line), runner.JockeyName(line), runner.ArrivalOrder(line), runner.FinalPlace(line)})
      EXPECT_EQ(empty, QByteArray());
    EXPECT_EQ(runner.FrameNumber(line), "0");
    EXPECT_EQ(runner.HorseNumber(line), "00");
    EXPECT_EQ(runner.HorseName(line), QString());
    EXPECT_EQ(runner.AbnormalMark(line), QString());
    EXPECT_EQ(runner.RunTime(line), 0);
  }

  // Payout fields read leniently: never an error, and only whole entries are written.
  const bool payRecord = pay.LoadPayRecord(line);
  accepted += payRecord;
  EXPECT_EQ(pay.PayRaceKey(line), payRecord ? key : QByteArray());
  static const QRegularExpression placeItems(u"^([0-9]+=[\\s\\S]{9}(,[0-9]+=[\\s\\S]{9})*)?$"_s);
  const QByteArray places = pay.PlacePayouts(line);
  EXPECT_TRUE(placeItems.match(QString::fromLatin1(places)).hasMatch()) << places.constData();
  EXPECT_TRUE(payRecord || places.isEmpty());
  for (const TBetType betType : AllBetTypes) {
    const QString text = pay.PayoutText(line, betType);
    EXPECT_TRUE(text.isEmpty() || (payRecord && text.endsWith(u"人気）"_s))) << text.toStdString();
  }
  return accepted;
}

TEST(MalformedRecordTest, NoiseGivesFieldsDefaultsOrConvertErrors) {
  int accepted = 0;
  for (const QByteArray& line : MalformedLines()) accepted += CheckEveryOperation(line);
  // The random lines of the exact lengths, and the three altered valid ones, were accepted.
  EXPECT_EQ(accepted, 3 * 20 + 3);
}

// Valid lines holding Japanese text, and variants of them that no record accepts.
TEST(MalformedRecordTest, VariantsOfValidLinesAreRejected) {
  const QByteArray race = RaceBuilder().SetRaceName(u"東京優駿（日本ダービー）").SetShortName(u"ダ杯").Line();
  const QByteArray runner = RunnerBuilder().SetHorseName(u"ドウデュース").Line();
  const QByteArray pay = MakePayLine();
  const auto replaced = [](QByteArray line, QStringView from, const QByteArray& to) {
    return line.replace(EncodeCp932(from), to);
  };
  const auto retyped = [](QByteArray line, const char* type) { return line.replace(0, 2, type); };
  // The same characters, one of them now a single byte (or followed by one).
  const QByteArray shorter = replaced(race, u"優", "y");
  const QByteArray longer = replaced(race, u"優", EncodeCp932(u"優") + " ");
  ASSERT_EQ(shorter.size(), 1269);
  ASSERT_EQ(longer.size(), 1271);
  ASSERT_EQ(DecodeCp932(shorter).size(), DecodeCp932(longer.chopped(1)).size());
  const QByteArray lines[] = {shorter,
                              longer,
                              retyped(race, "ra"),
                              retyped(race, "SE"),
                              race + "\r\n",
                              {},
                              "RA",
                              "SE",
                              "HR",
                              TRecordBuilder::Race().Line().chopped(1),
                              replaced(runner, u"ド", "d"),
                              runner + " ",
                              retyped(runner, "sE"),
                              TRecordBuilder::Horse().Line() + "\r\n",
                              pay + " ",
                              pay.chopped(1),
                              retyped(pay, "Hr"),
                              pay + "\r\n"};
  for (const QByteArray& line : lines) {
    SCOPED_TRACE(line.left(40).constData());
    EXPECT_EQ(CheckEveryOperation(line), 0);
  }
  // A record of another type is rejected by the other two.
  for (const QByteArray& line : {race, runner, pay}) EXPECT_EQ(CheckEveryOperation(line), 1);
}

// Over the same lines: the sort keeps the runners that arrived 01..18 and then
// the 00s, each in input order, and a payout line is found by its own key.
TEST(MalformedRecordTest, ListOperationsSkipWhatTheyCannotRead) {
  // Among the noise, runners that arrived third, not at all, first and 19th.
  TByteLines lines = MalformedLines();
  for (const auto& [number, arrival] : {std::pair{1, 3}, std::pair{2, 0}, std::pair{3, 1}, std::pair{4, 19}})
    lines.insert(lines.size() / 2 + number, MakeRunnerLine(DefaultRaceKey, number, arrival));
  TRunnerRecord runner;
  TByteLines expected;
  for (const QByteArray& line : lines) {
    const QByteArray arrival = runner.ArrivalOrder(line);
    const bool digits = arrival.size() == 2 && std::all_of(arrival.cbegin(), arrival.cend(),
                                                           [](char c) { return c >= '0' && c <= '9'; });
    if (digits && arrival.toInt() <= 18) expected.append(line);
  }
  const auto rank = [&](const QByteArray& line) {
    const int arrival = runner.ArrivalOrder(line).toInt();
    return arrival == 0 ? 19 : arrival;
  };
  std::stable_sort(expected.begin(), expected.end(),
                   [&](const QByteArray& a, const QByteArray& b) { return rank(a) < rank(b); });
  ASSERT_EQ(expected.size(), 3);
  TByteLines sorted = lines;
  runner.SortByArrival(sorted);
  EXPECT_EQ(sorted, expected);

  TPayRecord pay;
  int found = 0;
  for (const QByteArray& line : lines) {
    if (!pay.LoadPayRecord(line)) continue;
    EXPECT_EQ(pay.FindPayLine(lines, pay.PayRaceKey(line)), line);
    ++found;
  }
  EXPECT_EQ(found, 21);
  EXPECT_EQ(pay.FindPayLine(lines, "no such race key"), QByteArray());
}

}  // namespace
