#include "demo/DemoEra.h"

#include "demo/DemoNames.h"
#include "demo/RunningModel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int FirstYear = 2000;
// Long enough for the era's first open races to meet horses that came up the classes.
constexpr int LeadInYears = 3;
constexpr std::uint64_t PopulationStream = 0x506f70756c6174ull;

// Days between two runs of a horse; a horse no race wants by then retires.
constexpr int MinGap = 21;
constexpr int MaxGap = 56;
constexpr int MinRiders = 24;  // jockeys at a venue, more than a full field

// A horse's place in the queue for a race is how many days today is off its
// trainer's target (a day early counting as three late), plus these for
// what makes the race a poor fit.
constexpr int EarlyWeight = 3;
constexpr float ClassStep = 45.0f;     // per class it runs above its own
constexpr float YoungPenalty = 40.0f;  // a year below the race's ages
constexpr float SurfacePenalty = 40.0f;
constexpr float TripPenalty = 0.06f;  // per metre outside its distances
constexpr float AwayPenalty = 30.0f;  // its jockey rides at another course today
constexpr float Jitter = 8.0f;

constexpr double TalentSd = 1.2;
constexpr double FormSd = 0.3;

int LevelOf(int condition) {
  switch (condition) {
    case 701:
    case 703:
      return 0;
    case 5:
      return 1;
    case 10:
      return 2;
    case 16:
      return 3;
    default:
      return 4;
  }
}

// The race type's ages (2歳, 3歳, 3歳上, 4歳上 and the jumps): 0 when the age
// fits, a penalty for a year too young where a race is short of runners, -1
// where the horse may not run.
float AgePenalty(int raceType, int age) {
  switch (raceType) {
    case 11:
      return age == 2 ? 0.0f : -1.0f;
    case 12:
      return age == 3 ? 0.0f : -1.0f;
    case 13:
      return age >= 3 ? 0.0f : (age == 2 ? YoungPenalty : -1.0f);
    case 14:
    case 19:
      return age >= 4 ? 0.0f : (age == 3 ? YoungPenalty : -1.0f);
    case 18:
      return age >= 3 ? 0.0f : -1.0f;
    default:
      return 0.0f;
  }
}

int YoungestFor(int raceType) {
  switch (raceType) {
    case 11:
      return 2;
    case 14:
    case 19:
      return 4;
    default:
      return 3;
  }
}

// Two-year-olds are still growing; the old lose a little each year.
double Growth(int age, int month) {
  const double months = (age - 2) * 12.0 + (month - 1);
  double growth = -0.9 * std::exp(-months / 14.0);
  if (age > 6) growth -= 0.15 * (age - 6);
  return growth;
}

// 0 east, 1 west, 2 both (the summer courses in Hokkaido).
int RegionOf(int venue) {
  if (venue <= 2) return 2;
  return venue <= 6 ? 0 : 1;
}

}  // namespace

int TDemoEra::EraOf(const QDate& day) {
  const int years = day.year() - FirstYear;
  return years >= 0 ? years / Years : -((-years + Years - 1) / Years);
}

QDate TDemoEra::FirstDay(int era) {
  return QDate(FirstYear + era * Years, 1, 1);
}

TDemoEra::TDemoEra(int seed, const TDemoCalendar& calendar, int era)
    : FSeed(seed),
      FCalendar(calendar),
      FEra(era),
      FNext(FirstDay(era).addYears(-LeadInYears)),
      FKeptFrom(FirstDay(era)),
      FKeptUntil(FirstDay(era + 1).addDays(-1)) {}

const TDemoDayRunners& TDemoEra::Day(const QDate& day) {
  static const TDemoDayRunners none;
  if (day < FKeptFrom || day > FKeptUntil) return none;
  for (; FNext <= day; FNext = FNext.addDays(1))
    if (FCalendar.IsRacingDay(FNext)) RunDay(FNext, FNext >= FKeptFrom);
  const auto found = FDays.find(day.toJulianDay());
  return found == FDays.end() ? none : found->second;
}

void TDemoEra::RunDay(const QDate& day, bool kept) {
  FToday = static_cast<qint32>(day.toJulianDay());
  FYear = day.year();
  FMonth = day.month();
  const QList<TVenueCard> cards = MakeDayCards(day, FCalendar, FSeed);
  Prepare(cards);
  TDemoRandom random = TDemoRandom::For(
      {std::uint64_t(FSeed), std::uint64_t(day.toJulianDay()), std::uint64_t(FEra), PopulationStream});
  TDemoDayRunners runners(static_cast<std::size_t>(cards.size()) * 12);
  for (int r = 0; r < 12; ++r) {
    for (int slot = 0; slot < cards.size(); ++slot) {
      const TRacePlan& plan = cards[slot].Races[r];
      std::vector<TDemoRunner> race = Enter(PickField(plan, slot, random), slot, random);
      Settle(day, cards[slot].Venue.Venue, plan, race, kept, random);
      runners[static_cast<std::size_t>(slot * 12 + r)] = std::move(race);
    }
  }
  if (kept) FDays.emplace(day.toJulianDay(), std::move(runners));
}

void TDemoEra::Prepare(const QList<TVenueCard>& cards) {
  const qint32 today = FToday;
  const int year = FYear;
  std::erase_if(FActive, [&](qint32 h) {
    TDemoHorse& horse = FHorses[static_cast<std::size_t>(h)];
    const int age = year - horse.Foaled;
    // Maidens have no races left once they are four.
    if ((horse.LastRun > 0 && today - horse.LastRun > MaxGap) || age > horse.RetireAge ||
        (horse.Level == 0 && horse.JumpLevel < 0 && age >= 4))
      horse.Retired = true;
    return horse.Retired;
  });

  // Jockeys ride in their own half of the country, at one course a day and
  // mostly at the same one through a weekend.
  const int venueCount = FVenueCount = static_cast<int>(cards.size());
  const qint64 week = today / 7;
  FJockeyVenue.assign(DemoNames::RosterSize, 0);
  std::vector<int> count(static_cast<std::size_t>(venueCount), 0);
  for (int j = 0; j < DemoNames::RosterSize; ++j) {
    std::vector<int> options;
    for (int s = 0; s < venueCount; ++s) {
      const int region = RegionOf(cards[s].Venue.Venue);
      if (region == 2 || region == j % 2) options.push_back(s);
    }
    if (options.empty())
      for (int s = 0; s < venueCount; ++s) options.push_back(s);
    TDemoRandom pick =
        TDemoRandom::For({std::uint64_t(FSeed), std::uint64_t(j), std::uint64_t(week), PopulationStream});
    const int slot = options[static_cast<std::size_t>(pick.Next() % options.size())];
    FJockeyVenue[static_cast<std::size_t>(j)] = slot;
    ++count[static_cast<std::size_t>(slot)];
  }
  for (;;) {
    const auto fewest = std::min_element(count.begin(), count.end());
    if (*fewest >= MinRiders) break;
    const auto most = std::max_element(count.begin(), count.end());
    const int from = static_cast<int>(most - count.begin());
    for (int j = DemoNames::RosterSize - 1; j >= 0; --j) {
      if (FJockeyVenue[static_cast<std::size_t>(j)] != from) continue;
      FJockeyVenue[static_cast<std::size_t>(j)] = static_cast<int>(fewest - count.begin());
      break;
    }
    --*most;
    ++*fewest;
  }
  FVenueRiders.assign(static_cast<std::size_t>(venueCount), {});
  for (int j = 0; j < DemoNames::RosterSize; ++j)
    FVenueRiders[static_cast<std::size_t>(FJockeyVenue[static_cast<std::size_t>(j)])].push_back(
        static_cast<qint16>(j));

  // Queued per class, the course their jockey rides at and the surface they
  // like, by days from their target either way: sorted by counting (the keys
  // are whole days in a short range), so horses of a day stay in the order
  // they came in.
  constexpr int Latest = EarlyWeight * MaxGap;
  std::vector<std::vector<int>> counts(FReady.size(), std::vector<int>(Latest + 2, 0));
  const auto keyOf = [&](const TDemoHorse& horse) {
    const int early = horse.NextRun - today;
    return std::min(early > 0 ? EarlyWeight * early : -early, Latest);
  };
  const auto queueOf = [&](const TDemoHorse& horse) {
    const int level = horse.JumpLevel >= 0 ? 5 + horse.JumpLevel : horse.Level;
    return QueueOf(level, FJockeyVenue[static_cast<std::size_t>(horse.Jockey)], horse.Surface);
  };
  for (const qint32 h : FActive) {
    const TDemoHorse& horse = FHorses[static_cast<std::size_t>(h)];
    if (today - horse.LastRun >= MinGap) ++counts[queueOf(horse)][static_cast<std::size_t>(keyOf(horse)) + 1];
  }
  for (std::size_t q = 0; q < FReady.size(); ++q) {
    std::vector<int>& c = counts[q];
    for (std::size_t k = 1; k < c.size(); ++k) c[k] += c[k - 1];
    FReady[q].resize(static_cast<std::size_t>(c.back()));
  }
  for (const qint32 h : FActive) {
    const TDemoHorse& horse = FHorses[static_cast<std::size_t>(h)];
    if (today - horse.LastRun < MinGap) continue;
    const std::size_t q = queueOf(horse);
    const int key = keyOf(horse);
    FReady[q][static_cast<std::size_t>(counts[q][static_cast<std::size_t>(key)]++)] = {
        static_cast<float>(key), h};
  }
}

void TDemoEra::Consider(std::vector<TCandidate>& best, int wanted, const TCandidate& candidate) {
  const auto before = [](const TCandidate& a, const TCandidate& b) {
    return a.Score < b.Score || (a.Score == b.Score && a.Horse < b.Horse);
  };
  if (static_cast<int>(best.size()) == wanted) {
    if (!before(candidate, best.back())) return;
    best.pop_back();
  }
  best.insert(std::upper_bound(best.begin(), best.end(), candidate, before), candidate);
}

std::vector<qint32> TDemoEra::PickField(const TRacePlan& plan, int slot, TDemoRandom& random) {
  const qint32 today = FToday;
  const int wanted = plan.Horses;
  const bool steeple = plan.Surface == TSurface::Steeple;
  const auto fresh = [&](const TDemoHorse& horse) { return horse.LastRun != today && !horse.Retired; };
  std::vector<TCandidate> best;
  // Newcomer races are for horses that have never run: all of them new.
  if (plan.Condition != 701) {
    // Its own class first; horses of the classes below fill what is left.
    // Each queue starts at what its class, course and surface add, and is
    // read while its horses can still beat the field found so far.
    struct TScan {
      float Least;
      const std::vector<TCandidate>* Queue;
    };
    std::vector<TScan> scans;
    const int top = steeple ? (plan.Condition == 703 ? 0 : 1) : LevelOf(plan.Condition);
    const bool turf = plan.Surface == TSurface::Turf;
    for (int level = top; level >= 0; --level)
      for (int s = 0; s < FVenueCount; ++s)
        for (int surface = 0; surface < 3; ++surface) {
          const bool wrong = !steeple && ((surface == 0 && !turf) || (surface == 1 && turf));
          scans.push_back({ClassStep * static_cast<float>(top - level) + (s == slot ? 0.0f : AwayPenalty) +
                               (wrong ? SurfacePenalty : 0.0f),
                           &FReady[QueueOf(steeple ? 5 + level : level, s, surface)]});
        }
    std::stable_sort(scans.begin(), scans.end(),
                     [](const TScan& a, const TScan& b) { return a.Least < b.Least; });
    for (const TScan& scan : scans) {
      for (const TCandidate& ready : *scan.Queue) {
        const float least = ready.Score + scan.Least;
        if (static_cast<int>(best.size()) == wanted && least >= best.back().Score) break;
        const TDemoHorse& horse = FHorses[static_cast<std::size_t>(ready.Horse)];
        const float young = AgePenalty(plan.RaceType, FYear - horse.Foaled);
        if (!fresh(horse) || young < 0.0f) continue;
        float score = least + young + static_cast<float>(random.Uniform()) * Jitter;
        if (!steeple)
          score += static_cast<float>(std::max(0, horse.DistanceLow - plan.Distance) +
                                      std::max(0, plan.Distance - horse.DistanceHigh)) *
                   TripPenalty;
        Consider(best, wanted, {score, ready.Horse});
      }
    }
  }
  std::vector<qint32> field;
  for (const TCandidate& c : best) field.push_back(c.Horse);
  // Jumpers come from the flat: horses of the lower classes try their luck over fences.
  if (steeple && static_cast<int>(field.size()) < wanted) {
    std::vector<TCandidate> converts;
    const int missing = wanted - static_cast<int>(field.size());
    for (int level = 1; level <= 3; ++level)
      for (std::size_t q = QueueOf(level, 0, 0); q < QueueOf(level + 1, 0, 0); ++q)
        for (const TCandidate& ready : FReady[q]) {
          const TDemoHorse& horse = FHorses[static_cast<std::size_t>(ready.Horse)];
          if (fresh(horse) && AgePenalty(plan.RaceType, FYear - horse.Foaled) == 0.0f)
            Consider(converts, missing, ready);
        }
    for (const TCandidate& c : converts) {
      FHorses[static_cast<std::size_t>(c.Horse)].JumpLevel = 0;
      field.push_back(c.Horse);
    }
  }
  while (static_cast<int>(field.size()) < wanted) field.push_back(Newcomer(plan, slot, random));
  return field;
}

qint32 TDemoEra::Newcomer(const TRacePlan& plan, int slot, TDemoRandom& random) {
  TDemoHorse horse;
  horse.Foaled = static_cast<qint16>(FYear - YoungestFor(plan.RaceType));
  horse.Talent = static_cast<float>(random.Normal(0.0, TalentSd));
  if (plan.Surface == TSurface::Steeple) {
    horse.JumpLevel = 0;
    horse.Surface = 2;
    horse.DistanceLow = 1600;
    horse.DistanceHigh = 2400;
  } else {
    const bool turf = plan.Surface == TSurface::Turf;
    horse.Surface = static_cast<qint8>(random.Chance(0.25) ? 2 : (turf ? 0 : 1));
    const double centre = plan.Distance + random.Normal(0.0, 200.0);
    horse.DistanceLow =
        static_cast<qint16>(std::min<double>(plan.Distance, centre - 200.0 - 200.0 * random.Uniform()));
    horse.DistanceHigh =
        static_cast<qint16>(std::max<double>(plan.Distance, centre + 200.0 + 400.0 * random.Uniform()));
  }
  const std::vector<qint16>& riders = FVenueRiders[static_cast<std::size_t>(slot)];
  horse.Jockey = riders[static_cast<std::size_t>(random.Between(0, static_cast<int>(riders.size()) - 1))];
  horse.RetireAge = static_cast<qint8>(4 + random.Between(0, 2) + random.Between(0, 2));
  horse.RunsLeft = static_cast<qint16>(15 + random.Between(0, 30) + random.Between(0, 30));
  const qint32 index = static_cast<qint32>(FHorses.size());
  FHorses.push_back(horse);
  FActive.push_back(index);
  return index;
}

std::vector<TDemoRunner> TDemoEra::Enter(std::vector<qint32> field, int slot, TDemoRandom& random) const {
  // The draw for horse numbers.
  for (int i = static_cast<int>(field.size()) - 1; i > 0; --i)
    std::swap(field[static_cast<std::size_t>(i)], field[static_cast<std::size_t>(random.Between(0, i))]);
  std::vector<bool> riding(DemoNames::RosterSize, false);
  const std::vector<qint16>& riders = FVenueRiders[static_cast<std::size_t>(slot)];
  std::vector<TDemoRunner> runners;
  for (const qint32 h : field) {
    const TDemoHorse& horse = FHorses[static_cast<std::size_t>(h)];
    qint16 jockey = horse.Jockey;
    // Another rider when its own is at another course or already up on a rival.
    while (FJockeyVenue[static_cast<std::size_t>(jockey)] != slot || riding[static_cast<std::size_t>(jockey)])
      jockey = riders[static_cast<std::size_t>(random.Between(0, static_cast<int>(riders.size()) - 1))];
    riding[static_cast<std::size_t>(jockey)] = true;
    const double ability = horse.Talent + Growth(FYear - horse.Foaled, FMonth) + random.Normal(0.0, FormSd);
    runners.push_back({h, static_cast<float>(ability), jockey});
  }
  return runners;
}

void TDemoEra::Settle(const QDate& day, int venue, const TRacePlan& plan,
                      const std::vector<TDemoRunner>& runners, bool kept, TDemoRandom& random) {
  QList<double> abilities;
  for (const TDemoRunner& runner : runners) abilities.append(runner.Ability);
  TDemoRandom runRandom = TDemoRandom::ForRace(FSeed, day, venue, plan.RaceNumber, TDemoRandom::Run);
  const TRaceRun finish = DecideFinish(plan, abilities, runRandom);
  const qint32 today = FToday;
  for (std::size_t i = 0; i < runners.size(); ++i) {
    TDemoHorse& horse = FHorses[static_cast<std::size_t>(runners[i].Horse)];
    horse.LastRun = today;
    horse.NextRun = today + MinGap + random.Between(0, 20) + random.Between(0, 14);
    if (kept && horse.Name < 0) horse.Name = FNamesUsed++;
    if (finish.Horses[static_cast<qsizetype>(i)].Arrival == 1) {
      if (plan.Surface == TSurface::Steeple)
        horse.JumpLevel = 1;
      else
        horse.Level =
            static_cast<qint8>(std::max<int>(horse.Level, std::min(LevelOf(plan.Condition) + 1, 4)));
    }
    if (--horse.RunsLeft <= 0) horse.Retired = true;
  }
}
