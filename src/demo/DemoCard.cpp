#include "demo/DemoCard.h"

#include "demo/DemoNames.h"

#include <iterator>
#include <string_view>
#include <utility>

namespace {

// The three characters the results list shows of a race's name: the stem and
// its suffix cut short as the papers cut it (長月ステークス 長月Ｓ, 長月記念 長月記).
QString ShortRaceName(const QString& stem, std::u16string_view suffix) {
  static const std::pair<std::u16string_view, std::u16string_view> Shortened[] = {
      {u"ジャンプステークス", u"Ｊ"},
      {u"ステークス", u"Ｓ"},
      {u"カップ", u"Ｃ"},
      {u"記念", u"記"},
      {u"特別", u"特"}};
  QString tail = QString::fromUtf16(suffix.data(), qsizetype(suffix.size()));
  for (const auto& [full, shortened] : Shortened)
    if (suffix == full) tail = QString::fromUtf16(shortened.data(), qsizetype(shortened.size()));
  return (stem + tail).left(3);
}

struct TCourse {
  int Distance;
  int TrackCode;
};

// The courses each venue runs (left-handed: 新潟, 東京, 中京).
struct TVenueCourses {
  QList<TCourse> Turf;
  QList<TCourse> Dirt;
  QList<TCourse> Steeple;  // empty: no steeplechases here
  int MaxField;
};

const TVenueCourses& CoursesOf(int venue) {
  static const TVenueCourses Venues[10] = {
      // 01 札幌
      {{{1200, 17}, {1500, 17}, {1800, 17}, {2000, 17}, {2600, 17}},
       {{1000, 24}, {1700, 24}, {2400, 24}},
       {},
       14},
      // 02 函館
      {{{1000, 17}, {1200, 17}, {1800, 17}, {2000, 17}, {2600, 17}},
       {{1000, 24}, {1700, 24}, {2400, 24}},
       {},
       16},
      // 03 福島
      {{{1200, 17}, {1800, 17}, {2000, 17}, {2600, 17}},
       {{1150, 24}, {1700, 24}, {2400, 24}},
       {{2750, 54}, {3380, 55}},
       16},
      // 04 新潟
      {{{1200, 11}, {1400, 11}, {1600, 12}, {1800, 12}, {2000, 11}, {2200, 11}, {2400, 11}},
       {{1200, 23}, {1800, 23}, {2500, 23}},
       {{2850, 54}, {3290, 55}},
       18},
      // 05 東京
      {{{1400, 11}, {1600, 11}, {1800, 11}, {2000, 11}, {2300, 11}, {2400, 11}, {3400, 11}},
       {{1300, 23}, {1400, 23}, {1600, 23}, {2100, 23}},
       {{3000, 51}, {3110, 52}},
       18},
      // 06 中山
      {{{1200, 18}, {1600, 18}, {1800, 17}, {2000, 17}, {2200, 18}, {2500, 18}, {3600, 17}},
       {{1200, 24}, {1800, 24}, {2400, 24}},
       {{2880, 56}, {3200, 57}, {3570, 58}, {4100, 59}},
       16},
      // 07 中京
      {{{1200, 11}, {1400, 11}, {1600, 11}, {2000, 11}, {2200, 11}, {3000, 11}},
       {{1200, 23}, {1400, 23}, {1800, 23}, {1900, 23}},
       {{3000, 54}, {3300, 55}},
       18},
      // 08 京都
      {{{1200, 17}, {1400, 18}, {1600, 18}, {1800, 18}, {2000, 17}, {2200, 18}, {2400, 18}, {3000, 18}},
       {{1200, 24}, {1400, 24}, {1800, 24}, {1900, 24}},
       {{2910, 51}, {3170, 53}, {3930, 59}},
       18},
      // 09 阪神
      {{{1200, 17}, {1400, 17}, {1600, 18}, {1800, 18}, {2000, 17}, {2200, 17}, {2400, 18}, {3000, 18}},
       {{1200, 24}, {1400, 24}, {1800, 24}, {2000, 24}},
       {{2970, 51}, {3140, 52}, {3900, 59}},
       18},
      // 10 小倉
      {{{1200, 17}, {1700, 17}, {1800, 17}, {2000, 17}, {2600, 17}},
       {{1000, 24}, {1700, 24}, {2400, 24}},
       {{2860, 54}, {3390, 55}},
       16},
  };
  return Venues[(venue - 1) % 10];
}

// Sprints and miles are run more often than the long races.
TCourse PickCourse(const QList<TCourse>& courses, TDemoRandom& random) {
  const int n = static_cast<int>(courses.size());
  const int a = random.Between(0, n - 1);
  const int b = random.Between(0, n - 1);
  const int index = a < b ? a : b;
  return courses[index > n / 2 && random.Chance(0.5) ? a : index];
}

TDayConditions MakeConditions(const QDate& day, TDemoRandom& random) {
  TDayConditions c;
  const double r = random.Uniform();
  const bool winter = day.month() <= 2 || day.month() == 12;
  if (r < 0.5) {
    c.Weather = 1;
  } else if (r < 0.78) {
    c.Weather = 2;
  } else if (r < 0.9) {
    c.Weather = winter && random.Chance(0.3) ? 6 : 4;
  } else {
    c.Weather = winter && random.Chance(0.3) ? 5 : 3;
  }
  const bool wet = c.Weather >= 3;
  // Yesterday's rain now and then keeps the ground soft on a fine day.
  const int turfBase = wet ? random.Between(2, 4) : (random.Chance(0.15) ? 2 : 1);
  c.TurfGoing = turfBase;
  c.DirtGoing = wet ? random.Between(2, 4) : (random.Chance(0.25) ? 2 : 1);
  return c;
}

// Race type codes: 11 2歳, 12 3歳, 13 3歳上, 14 4歳上; 18 and 19 the steeplechase 3歳上 and 4歳上.
int YoungType(int month, TDemoRandom& random) {
  if (month <= 5) return 12;
  if (month <= 9) return random.Chance(0.5) ? 11 : 12;
  return 11;
}
int OlderType(int month) {
  return month <= 5 ? 14 : 13;
}

// Corners of a race on the course: none on the straight, the last two in a
// sprint, all four otherwise.
QList<int> CornersOf(TSurface surface, int distance, int trackCode) {
  if (trackCode == 10) return {};
  if (surface != TSurface::Steeple && distance <= 1600) return {3, 4};
  return {1, 2, 3, 4};
}

}  // namespace

TVenueCard MakeVenueCard(const QDate& day, const TVenueDay& venue, bool firstVenue, TDemoRandom& random) {
  TVenueCard card;
  card.Venue = venue;
  card.Conditions = MakeConditions(day, random);
  const TVenueCourses& courses = CoursesOf(venue.Venue);
  const int month = day.month();
  const bool sunday = day.dayOfWeek() == Qt::Sunday;
  const int steepleRace =
      !courses.Steeple.isEmpty() && random.Chance(0.45) ? (random.Chance(0.6) ? 4 : 8) : 0;

  for (int r = 1; r <= 12; ++r) {
    TRacePlan plan;
    plan.RaceNumber = r;
    bool named = false;
    if (r == steepleRace) {
      plan.Surface = TSurface::Steeple;
      plan.RaceType = random.Chance(0.6) ? 18 : 19;
      plan.Condition = r == 4 ? 703 : 999;
      named = plan.Condition == 999 && random.Chance(0.5);
    } else if (r <= 3) {
      plan.RaceType = YoungType(month, random);
      plan.Condition = 703;
    } else if (r <= 5) {
      const bool newcomer = (plan.RaceType = YoungType(month, random)) == 11 || month <= 3;
      plan.Condition = newcomer && random.Chance(0.7) ? 701 : 703;
    } else if (r <= 8) {
      plan.RaceType = month <= 9 && random.Chance(0.3) ? 12 : OlderType(month);
      plan.Condition = 5;
    } else if (r <= 10) {
      plan.RaceType = OlderType(month);
      plan.Condition = random.Chance(0.6) ? 10 : 5;
      named = true;
    } else if (r == 11) {
      plan.RaceType = OlderType(month);
      plan.Condition = random.Chance(0.6) ? 999 : 16;
      named = true;
      if (sunday && firstVenue) {
        const double g = random.Uniform();
        plan.Grade = g < 0.15 ? 'A' : (g < 0.5 ? 'B' : 'C');
        plan.Condition = 999;
      }
    } else {
      plan.RaceType = OlderType(month);
      plan.Condition = random.Chance(0.5) ? 10 : 5;
      named = random.Chance(0.3);
    }

    if (plan.Surface == TSurface::Steeple) {
      const TCourse course = PickCourse(courses.Steeple, random);
      plan.Distance = course.Distance;
      plan.TrackCode = course.TrackCode;
    } else if (venue.Venue == 4 && r == 3) {
      plan.Distance = 1000;
      plan.TrackCode = 10;
    } else {
      // Maidens run on dirt more often; the main races mostly on turf.
      const double dirtShare = r <= 3 ? 0.6 : (r >= 9 ? 0.3 : 0.45);
      plan.Surface = random.Chance(dirtShare) ? TSurface::Dirt : TSurface::Turf;
      const TCourse course = PickCourse(plan.Surface == TSurface::Dirt ? courses.Dirt : courses.Turf, random);
      plan.Distance = course.Distance;
      plan.TrackCode = course.TrackCode;
    }
    plan.Corners = CornersOf(plan.Surface, plan.Distance, plan.TrackCode);

    if (named) {
      const QString stem = DemoNames::RaceStem(random);
      static const char16_t* const Suffixes[] = {u"ステークス", u"特別", u"賞", u"カップ"};
      static const char16_t* const GradedSuffixes[] = {u"ステークス", u"記念", u"賞", u"カップ"};
      const bool graded = plan.Grade != ' ';
      const char16_t* suffix = graded ? random.Pick(GradedSuffixes) : random.Pick(Suffixes);
      if (plan.Surface == TSurface::Steeple) suffix = u"ジャンプステークス";
      // A special of the lower classes is a "特別" or a "賞", not a "ステークス".
      if (!graded && plan.Condition != 999 && plan.Condition != 16 && plan.Surface != TSurface::Steeple)
        suffix = random.Chance(0.6) ? u"特別" : u"賞";
      plan.Name = stem + QString::fromUtf16(suffix);
      if (plan.Condition == 999 || graded) plan.ShortName = ShortRaceName(stem, suffix);
    }

    const int maxField = courses.MaxField;
    if (plan.Surface == TSurface::Steeple) {
      plan.Horses = random.Between(7, 14);
    } else if (random.Chance(0.06)) {
      plan.Horses = random.Between(5, 7);
    } else {
      plan.Horses = random.Between(maxField - 8, maxField);
      if (plan.Horses > 16 && random.Chance(0.3)) plan.Horses = 16;
    }
    card.Races.append(plan);
  }
  return card;
}

QList<TVenueCard> MakeDayCards(const QDate& day, const TDemoCalendar& calendar, int seed) {
  QList<TVenueCard> cards;
  const QList<TVenueDay> venues = calendar.VenuesOf(day);
  for (qsizetype v = 0; v < venues.size(); ++v) {
    TDemoRandom random = TDemoRandom::For({std::uint64_t(seed), std::uint64_t(day.toJulianDay()),
                                           std::uint64_t(venues[v].Venue), TDemoRandom::Card});
    cards.append(MakeVenueCard(day, venues[v], v == 0, random));
  }
  return cards;
}
