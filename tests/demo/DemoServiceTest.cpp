#include "demo/DemoEra.h"
#include "demo/DemoNames.h"
#include "demo/DemoService.h"

#include "link/FeedLink.h"
#include "position/PassingOrderConverter.h"
#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RunnerRecord.h"
#include "text/Cp932.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace {

// A May weekend with 新潟 racing, and a September weekend with a Monday holiday.
const QDate MaySaturday(2024, 5, 11);
const QDate SeptemberSaturday(2024, 9, 14);

QList<TDemoRace> RacesOfDays(const TDemoService& demo, const QDate& first, int days) {
  QList<TDemoRace> races;
  for (int i = 0; i < days; ++i) races += demo.RacesOf(first.addDays(i));
  return races;
}

class DemoServiceTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    const TDemoService demo(1);
    Races = new QList<TDemoRace>(RacesOfDays(demo, MaySaturday, 2) + RacesOfDays(demo, SeptemberSaturday, 3));
  }
  static void TearDownTestSuite() {
    delete Races;
    Races = nullptr;
  }
  static QList<TDemoRace>* Races;
};
QList<TDemoRace>* DemoServiceTest::Races = nullptr;

TEST_F(DemoServiceTest, RecordsPassTheAccessors) {
  ASSERT_FALSE(Races->isEmpty());
  TRaceRecord ra;
  TRunnerRecord se;
  TPayRecord hr;
  for (const TDemoRace& race : *Races) {
    const QByteArray& line = race.RaceLine;
    ASSERT_TRUE(ra.LoadRecord(line)) << race.RaceKey.constData();
    EXPECT_EQ(ra.RaceKey(line), race.RaceKey);
    // The code fields convert strictly: these throw on a malformed record.
    EXPECT_FALSE(ra.TrackDistance(line).isEmpty());
    EXPECT_FALSE(ra.GoingLabel(line).isEmpty());
    EXPECT_FALSE(ra.ClassLabel(line).isEmpty());
    EXPECT_FALSE(ra.RaceLabel(line).isEmpty());
    EXPECT_EQ(line.mid(881, 2).toInt(), race.HorseLines.size()) << "horses at the draw";
    for (qsizetype i = 0; i < race.HorseLines.size(); ++i) {
      const QByteArray& horse = race.HorseLines[i];
      ASSERT_TRUE(se.LoadRecord(horse));
      EXPECT_EQ(se.RaceKey(horse), race.RaceKey);
      EXPECT_EQ(se.HorseNumber(horse).toInt(), i + 1);
      EXPECT_EQ(se.FrameNumber(horse).toInt(),
                TPassingOrderConverter::FrameOf(static_cast<int>(race.HorseLines.size()), i + 1));
      se.RunTime(horse);
      se.AbnormalMark(horse);
      // Katakana names of up to nine characters and four-character jockeys, padded with ideographic spaces.
      const QString name = se.HorseName(horse);
      const QString bare = QString(name).remove(u'\x3000');
      EXPECT_TRUE(bare.size() >= 2 && bare.size() <= 9) << name.toStdString();
      for (const QChar c : bare)
        EXPECT_TRUE(c.unicode() >= 0x30A0 && c.unicode() <= 0x30FF) << name.toStdString();
      EXPECT_TRUE(name.startsWith(bare)) << "padding follows the name";
      EXPECT_EQ(DecodeCp932(se.JockeyName(horse)).size(), 4);
    }
    ASSERT_TRUE(hr.LoadPayRecord(race.PayLine));
    EXPECT_EQ(hr.PayRaceKey(race.PayLine), race.RaceKey);
  }
}

TEST_F(DemoServiceTest, PassingOrdersConvertWithEveryStarterOncePerCorner) {
  TRaceRecord ra;
  TRunnerRecord se;
  for (const TDemoRace& race : *Races) {
    const QByteArray posLine = TPassingOrderConverter::ConvertRace(race.RaceLine + "\r\n");
    const int n = race.Plan.Horses;
    const int s = TPassingOrderConverter::SectionCount(race.Plan.Distance);
    ASSERT_EQ(posLine.size(), 24 + n * (2 + 4 * s)) << race.RaceKey.constData();
    QList<int> present;
    for (int corner = 1; corner <= 4; ++corner)
      if (!ra.CornerOrder(race.RaceLine, corner).trimmed().isEmpty()) present.append(corner);
    EXPECT_EQ(present, race.Plan.Corners) << race.RaceKey.constData();
    for (const int corner : present) {
      const QByteArray rows =
          TPassingOrderConverter::ParsePassingOrder(ra.CornerOrder(race.RaceLine, corner));
      for (int h = 1; h <= n; ++h) {
        const QByteArray& horse = race.HorseLines[h - 1];
        const int abnormality = QByteArray(1, horse[331]).toInt();
        const int count = static_cast<int>(rows.count(TPassingOrderConverter::HorseToken(h)));
        if (abnormality == 0) {
          EXPECT_EQ(count, 1) << race.RaceKey.constData() << " horse " << h;
        }
        if (abnormality == 1 || abnormality == 2) {
          EXPECT_EQ(count, 0) << "scratched";
        }
        EXPECT_LE(count, 1);
        // The position line holds what the model meant.
        static constexpr int SectionFromGoal[] = {0, 6, 5, 3, 2};
        const int index = s - SectionFromGoal[corner];
        if (index < 0) continue;
        const QByteArray entry = posLine.mid(24 + (h - 1) * (2 + 4 * s) + 2 + 4 * index, 4);
        const int c = static_cast<int>(race.Plan.Corners.indexOf(corner));
        EXPECT_EQ(entry.left(2).toInt(), race.Run.Horses[h - 1].Rows[c]);
        EXPECT_EQ(entry.mid(2).toInt(), race.Run.Horses[h - 1].Lanes[c]);
      }
    }
  }
}

TEST_F(DemoServiceTest, ArrivalsPlacingsAndTimesAgree) {
  TRunnerRecord se;
  for (const TDemoRace& race : *Races) {
    TByteLines sorted = race.HorseLines;
    se.SortByArrival(sorted);
    ASSERT_EQ(sorted.size(), race.HorseLines.size()) << "every arrival is 00 to 18";
    int previousArrival = 0, previousTime = 0;
    for (qsizetype i = 0; i < sorted.size(); ++i) {
      const QByteArray& h = sorted[i];
      const int arrival = se.ArrivalOrder(h).toInt();
      EXPECT_EQ(se.FinalPlace(h), se.ArrivalOrder(h));
      if (arrival == 0) {
        EXPECT_EQ(se.RunTime(h), 0);
        EXPECT_FALSE(se.AbnormalMark(h).isEmpty()) << "no arrival without a reason";
        continue;
      }
      EXPECT_TRUE(se.AbnormalMark(h).isEmpty());
      if (arrival == previousArrival) {
        EXPECT_EQ(se.RunTime(h), previousTime) << "dead heat";
      } else {
        EXPECT_EQ(arrival, i + 1) << race.RaceKey.constData();
        EXPECT_GE(se.RunTime(h), previousTime);
      }
      previousArrival = arrival;
      previousTime = se.RunTime(h);
    }
  }
}

TEST_F(DemoServiceTest, PayoutsForPlacedHorsesAndNoneForScratched) {
  TRunnerRecord se;
  TPayRecord hr;
  for (const TDemoRace& race : *Races) {
    int starters = 0;
    for (const THorseRun& h : race.Run.Horses) starters += h.Abnormality != 1 && h.Abnormality != 2;
    const int places = starters <= 7 ? 2 : 3;
    // Horse number -> place payout.
    std::map<int, QByteArray> placeMap;
    for (const QByteArray& item : hr.PlacePayouts(race.PayLine).split(','))
      if (!item.isEmpty()) placeMap[item.left(item.indexOf('=')).toInt()] = item.mid(item.indexOf('=') + 1);
    const QString win = hr.PayoutText(race.PayLine, TBetType::Win);
    QList<int> winners;
    for (const QByteArray& h : race.HorseLines) {
      const int number = se.HorseNumber(h).toInt();
      const int arrival = se.ArrivalOrder(h).toInt();
      const bool placed = arrival >= 1 && arrival <= places;
      EXPECT_EQ(placeMap.count(number) == 1, placed) << race.RaceKey.constData() << " horse " << number;
      if (arrival == 1) winners.append(number);
    }
    QList<int> paidWinners;
    for (const TPayout& paid : race.Payouts[TBetType::Win]) paidWinners.append(paid.Numbers.value(0));
    EXPECT_EQ(paidWinners, winners) << race.RaceKey.constData();
    EXPECT_TRUE(win.startsWith(u"単勝%1番"_s.arg(winners.value(0)))) << win.toStdString();
    for (const TBetType betType : AllBetTypes) {
      for (const TPayout& paid : race.Payouts[betType]) {
        EXPECT_GE(paid.Payout, 100);
        EXPECT_GE(paid.Rank, 1);
        if (betType == TBetType::BracketQuinella) continue;
        for (const int number : paid.Numbers) {
          const int abnormality = race.Run.Horses[number - 1].Abnormality;
          EXPECT_TRUE(abnormality == 0) << "paid only on finishers";
        }
      }
      const bool expected = betType != TBetType::BracketQuinella || race.Plan.Horses >= 9;
      EXPECT_EQ(!hr.PayoutText(race.PayLine, betType).isEmpty(), expected)
          << race.RaceKey.constData() << " bet " << static_cast<int>(betType);
    }
    EXPECT_EQ(static_cast<int>(race.Payouts[TBetType::Place].size()) >= places, true);
  }
}

TEST_F(DemoServiceTest, CardHasItsRaces) {
  int straight = 0, steeple = 0, graded = 0, mile = 0, shortNames = 0;
  // The list's short name is the sheet's full name cut short.
  const std::map<QString, QString> endings = {{u"Ｓ"_s, u"ステークス"_s}, {u"Ｊ"_s, u"ジャンプステークス"_s},
                                              {u"Ｃ"_s, u"カップ"_s},     {u"記"_s, u"記念"_s},
                                              {u"賞"_s, u"賞"_s},         {u"特"_s, u"特別"_s}};
  TRaceRecord ra;
  for (const TDemoRace& race : *Races) {
    const QString shortName = race.Plan.ShortName;
    if (!shortName.isEmpty()) {
      ++shortNames;
      EXPECT_EQ(ra.RaceLabel(race.RaceLine), shortName);
      const QString name = ra.RaceName(race.RaceLine).trimmed();
      const auto ending = endings.find(shortName.mid(2));
      EXPECT_TRUE(ending != endings.end() && name == shortName.left(2) + ending->second)
          << name.toStdString() << " " << shortName.toStdString();
    }
    const int track = race.RaceLine.mid(705, 2).toInt();
    const int distance = race.RaceLine.mid(697, 4).toInt();
    if (track == 10) {
      ++straight;
      EXPECT_EQ(race.RaceKey.mid(8, 2), "04") << "the straight course is 新潟's";
      EXPECT_EQ(distance, 1000);
      EXPECT_TRUE(race.Plan.Corners.isEmpty());
    }
    if (track >= 51 && track <= 59) ++steeple;
    if (race.RaceLine[614] >= 'A' && race.RaceLine[614] <= 'C') {
      ++graded;
      EXPECT_EQ(race.Plan.RaceNumber, 11);
    }
    // A mile on turf is won in about 1:33 to 1:36 (2-year-olds and soft ground a little slower).
    if (distance == 1600 && track < 23 && race.Conditions.TurfGoing == 1 && race.Plan.RaceType != 11) {
      ++mile;
      for (const THorseRun& h : race.Run.Horses)
        if (h.Arrival == 1) {
          EXPECT_TRUE(h.Time >= 925 && h.Time <= 965) << h.Time;
        }
    }
    EXPECT_TRUE(race.Plan.Horses >= 5 && race.Plan.Horses <= 18);
  }
  EXPECT_GT(straight, 0);
  EXPECT_GT(steeple, 0);
  EXPECT_EQ(graded, 2) << "one graded race each Sunday";
  EXPECT_GT(mile, 0);
  EXPECT_GT(shortNames, 0);
}

// A third of a year of racing: the same horses come back under the same
// names, every three to eight weeks, up the classes as they win.
TEST(DemoPopulationTest, HorsesKeepTheirNamesClassesAndRhythm) {
  struct TStart {
    QDate Day;
    int Condition;
    bool Jump;
    bool Turf;
    int Arrival;
    QString Jockey;
  };
  const auto level = [](const TStart& start) {
    static const std::map<int, int> Levels{{701, 0}, {703, 0}, {5, 1}, {10, 2}, {16, 3}, {999, 4}};
    return Levels.at(start.Condition);
  };
  std::map<QString, QList<TStart>> careers;
  QSet<QString> jockeys;
  int runs = 0;
  const TDemoService demo(1);
  for (QDate day(2024, 3, 1); day < QDate(2024, 7, 1); day = day.addDays(1)) {
    for (const TDemoRace& race : demo.RacesOf(day)) {
      for (qsizetype i = 0; i < race.HorseNames.size(); ++i) {
        careers[race.HorseNames[i]].append({day, race.Plan.Condition, race.Plan.Surface == TSurface::Steeple,
                                            race.Plan.Surface == TSurface::Turf, race.Run.Horses[i].Arrival,
                                            race.Jockeys[i]});
        jockeys.insert(race.Jockeys[i]);
        ++runs;
      }
    }
  }
  int usualRides = 0, ridesCounted = 0, regulars = 0, oneSurface = 0;
  for (const auto& [name, starts] : careers) {
    int wonFlat = -1, wonJump = -1;
    for (qsizetype k = 0; k < starts.size(); ++k) {
      const TStart& start = starts[k];
      if (k > 0) {
        const qint64 gap = starts[k - 1].Day.daysTo(start.Day);
        EXPECT_TRUE(gap >= 21 && gap <= 56) << name.toStdString() << " ran again after " << gap << " days";
      }
      EXPECT_TRUE(start.Condition != 701 || k == 0) << name.toStdString() << " in a newcomer race again";
      int& won = start.Jump ? wonJump : wonFlat;
      EXPECT_TRUE(level(start) > won || (level(start) == 4 && won == 4))
          << name.toStdString() << " down to class " << start.Condition << " after a win";
      if (start.Arrival == 1) won = std::max(won, level(start));
    }
    if (starts.size() < 3) continue;
    std::map<QString, int> rides;
    for (const TStart& start : starts) ++rides[start.Jockey];
    int most = 0;
    for (const auto& [jockey, count] : rides) most = std::max(most, count);
    usualRides += most;
    ridesCounted += static_cast<int>(starts.size());
    ++regulars;
    oneSurface +=
        std::all_of(starts.begin(), starts.end(), [&](const TStart& s) { return s.Turf == starts[0].Turf; });
  }
  // A stable population: horses run a few times each, with their own jockey mostly up.
  EXPECT_LE(careers.size() * 3, runs);
  EXPECT_GE(usualRides * 10, ridesCounted * 6);
  EXPECT_GE(oneSurface * 10, regulars * 6);
  EXPECT_EQ(jockeys.size(), DemoNames::RosterSize);
}

// A day's fields are the same whichever days were
// simulated first; each era names its horses from a share of its own.
TEST(DemoPopulationTest, DaysFollowFromTheSeedAloneAndErasKeepTheirNames) {
  const TDemoCalendar calendar;
  const QDate early(2021, 4, 10), late(2024, 12, 22);
  ASSERT_EQ(TDemoEra::EraOf(early), TDemoEra::EraOf(late));
  ASSERT_NE(TDemoEra::EraOf(late), TDemoEra::EraOf(late.addDays(14)));
  const auto same = [](const TDemoDayRunners& a, const TDemoDayRunners& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
      return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                        [](const TDemoRunner& r, const TDemoRunner& s) {
                          return r.Horse == s.Horse && r.Ability == s.Ability && r.Jockey == s.Jockey;
                        });
    });
  };
  TDemoEra forward(1, calendar, TDemoEra::EraOf(early)), backward(1, calendar, TDemoEra::EraOf(early));
  const TDemoDayRunners first = forward.Day(early);
  ASSERT_EQ(first.size(), 36u);
  const TDemoDayRunners last = backward.Day(late);
  EXPECT_TRUE(same(backward.Day(early), first));
  EXPECT_TRUE(same(forward.Day(late), last));
  EXPECT_FALSE(same(TDemoEra(2, calendar, TDemoEra::EraOf(early)).Day(early), first));

  EXPECT_LT(backward.NamesUsed(), DemoPopulation::NamesPerEra);
  QSet<QString> names;
  for (qint64 i = 0; i < 2 * DemoPopulation::NamesPerEra; ++i) names.insert(DemoNames::HorseName(i));
  EXPECT_EQ(names.size(), 2 * DemoPopulation::NamesPerEra) << "two eras' shares";
  EXPECT_GE(DemoNames::HorseNameCount(), 10 * DemoPopulation::NamesPerEra);
}

TEST(DemoCalendarTest, MeetingsAndDaysRunOn) {
  const TDemoCalendar calendar;
  // venue -> (meeting, day) last seen
  std::map<int, std::pair<int, int>> last;
  int racingDays = 0, mondays = 0;
  for (QDate d(2024, 1, 1); d.year() == 2024; d = d.addDays(1)) {
    const QList<TVenueDay> venues = calendar.VenuesOf(d);
    if (venues.isEmpty()) continue;
    ++racingDays;
    mondays += d.dayOfWeek() == Qt::Monday;
    EXPECT_TRUE(venues.size() == 2 || venues.size() == 3) << d.toString().toStdString();
    for (const TVenueDay& v : venues) {
      const auto seen = last.find(v.Venue);
      if (seen == last.end() || seen->second.second == 8) {
        EXPECT_EQ(v.Day, 1) << v.Venue << " " << d.toString().toStdString();
        EXPECT_EQ(v.Meeting, seen == last.end() ? 1 : seen->second.first + 1);
      } else {
        EXPECT_EQ(v.Meeting, seen->second.first);
        EXPECT_EQ(v.Day, seen->second.second + 1) << v.Venue << " " << d.toString().toStdString();
      }
      last[v.Venue] = {v.Meeting, v.Day};
    }
  }
  EXPECT_GT(racingDays, 100);
  EXPECT_EQ(mondays, 3);
  EXPECT_FALSE(TDemoCalendar(false).IsRacingDay(QDate(2024, 9, 16)));
  EXPECT_TRUE(calendar.IsRacingDay(QDate(2024, 9, 16)));
}

TEST(DemoFeedTest, SameSeedSameBytesWhicheverDaysAreWritten) {
  QTemporaryDir week, single, other;
  const TDemoService demo(5);
  const QList<QDate> written = demo.WriteFeed(week.path(), QDate(2024, 5, 13), 8);
  EXPECT_EQ(written, (QList<QDate>{QDate(2024, 5, 11), QDate(2024, 5, 12)}));
  EXPECT_TRUE(TDemoService(5).WriteDay(single.path(), QDate(2024, 5, 12)));
  EXPECT_FALSE(TDemoService(5).WriteDay(single.path(), QDate(2024, 5, 13)));
  TDemoService(6).WriteDay(other.path(), QDate(2024, 5, 12));
  const auto bytes = [](const QTemporaryDir& dir) {
    QFile f(dir.filePath(u"0B12/20240512.txt"_s));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  };
  ASSERT_FALSE(bytes(week).isEmpty());
  EXPECT_EQ(bytes(week), bytes(single));
  EXPECT_NE(bytes(week), bytes(other));
}

TEST(DemoFeedTest, FeedMixesInRecordsTheDownloadDrops) {
  const TDemoService demo(1);
  const QDate day(2024, 5, 12);
  const TByteLines lines = SplitLines(demo.DayFeed(day));
  std::map<QByteArray, int> heads;
  for (const QByteArray& line : lines) ++heads[line.left(3)];
  const int races = static_cast<int>(TDemoCalendar().VenuesOf(day).size()) * 12;
  EXPECT_EQ(heads["RA6"], races) << "Sunday's final stage";
  EXPECT_EQ(heads["HR1"], races);
  EXPECT_GT(heads["RA3"] + heads["RA4"] + heads["RA5"], 0);
  EXPECT_GT(heads["SE3"] + heads["SE4"] + heads["SE5"], 0);
  EXPECT_GT(heads["HR2"], 0);
  EXPECT_GT(heads["WE1"], 0);
  EXPECT_EQ(heads["RA7"], 0);
  EXPECT_EQ(
      SplitLines(demo.DayFeed(QDate(2024, 5, 11))).count(demo.RacesOf(QDate(2024, 5, 11)).first().RaceLine),
      1)
      << "Saturday's results are final (RA7)";
}

TEST(DemoFeedTest, RaceHistoryHoldsTheFeedsRaceRecords) {
  const TDemoService demo(1);
  const QDate day(2024, 5, 12);
  const TByteLines history = demo.RaceHistory(day.addDays(-1), day.addDays(1));
  QList<TDemoRace> races = demo.RacesOf(day.addDays(-1)) + demo.RacesOf(day);
  ASSERT_EQ(history.size(), races.size());
  for (qsizetype i = 0; i < races.size(); ++i) {
    QByteArray expected = races[i].RaceLine;
    expected[2] = '7';
    EXPECT_EQ(history[i], expected);
  }
}

TEST(DemoFeedTest, FeedLinkWritesAndServesAMissingRecentDay) {
  QTemporaryDir dir;
  const TFixedClock clock(QDateTime(QDate(2024, 5, 13), QTime(10, 0)));
  TFeedLink link(dir.path(), clock);
  link.SetDemoWriter(DemoFeedWriter());
  ASSERT_EQ(link.JVInit(u"SA1"_s), 0);
  ASSERT_EQ(link.JVRTOpen("0B12", "20240512"), 0);
  QByteArray delivered;
  for (;;) {
    QByteArray buffer;
    QString name;
    const int n = link.JVRead(buffer, 110000, name);
    if (n <= 0) {
      EXPECT_EQ(n, 0);
      break;
    }
    delivered += buffer;
  }
  EXPECT_EQ(link.JVClose(), 0);
  EXPECT_EQ(delivered, TDemoService(1).DayFeed(QDate(2024, 5, 12)));
  EXPECT_TRUE(QFile::exists(dir.filePath(u"DemoFeed/0B12/20240512.txt"_s)));
  EXPECT_EQ(link.JVRTOpen("0B12", "20240514"), -1) << "no racing on a Tuesday";
}

}  // namespace
