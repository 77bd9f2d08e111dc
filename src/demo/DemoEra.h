#pragma once

#include "demo/DemoCalendar.h"
#include "demo/DemoCard.h"
#include "demo/DemoHorse.h"
#include "demo/DemoRandom.h"

#include <QDate>

#include <map>
#include <vector>

// One runner of a race, horse n at n - 1.
struct TDemoRunner {
  qint32 Horse = 0;  // index into the era's horses
  float Ability = 0.0f;
  qint16 Jockey = 0;  // who rides it today
};

// A racing day's runners: venue by venue in the calendar's order, twelve races each.
using TDemoDayRunners = std::vector<std::vector<TDemoRunner>>;

// The demo population over one era of a few years. The racing days are
// simulated in order from a few years before the era, so the horses met in
// its first race already have careers behind them: each day's fields are
// chosen from the horses due to run, the races decided, winners moved up a
// class, and old or unwanted horses retired; young horses come in through
// the newcomer races and wherever a race lacks runners. Only the days of the
// era itself are kept.
class TDemoEra {
public:
  static constexpr int Years = 5;
  // The era holding a day and the first day of an era.
  static int EraOf(const QDate& day);
  static QDate FirstDay(int era);

  TDemoEra(int seed, const TDemoCalendar& calendar, int era);

  // The runners of a racing day of the era (none for other days); simulates up to the day first.
  const TDemoDayRunners& Day(const QDate& day);
  const TDemoHorse& Horse(qint32 index) const { return FHorses[static_cast<std::size_t>(index)]; }
  qint32 NamesUsed() const { return FNamesUsed; }

private:
  struct TCandidate {
    float Score;
    qint32 Horse;
  };

  void RunDay(const QDate& day, bool kept);
  // Retires the horses whose time is up, queues the rest and sends the jockeys to the courses.
  void Prepare(const QList<TVenueCard>& cards);
  std::vector<qint32> PickField(const TRacePlan& plan, int slot, TDemoRandom& random);
  // Keeps the `wanted` best candidates, best first.
  static void Consider(std::vector<TCandidate>& best, int wanted, const TCandidate& candidate);
  qint32 Newcomer(const TRacePlan& plan, int slot, TDemoRandom& random);
  std::vector<TDemoRunner> Enter(std::vector<qint32> field, int slot, TDemoRandom& random) const;
  // Decides the race as it will be run and moves its winner up.
  void Settle(const QDate& day, int venue, const TRacePlan& plan, const std::vector<TDemoRunner>& runners,
              bool kept, TDemoRandom& random);

  int FSeed;
  TDemoCalendar FCalendar;
  int FEra;
  QDate FNext;  // the first day not simulated yet
  qint32 FToday = 0;
  int FYear = 0;
  int FMonth = 0;
  QDate FKeptFrom;   // the era's first day
  QDate FKeptUntil;  // its last
  qint32 FNamesUsed = 0;
  std::vector<TDemoHorse> FHorses;
  std::vector<qint32> FActive;  // horses not retired
  // The day's horses ready to run, per class (flat 0 to 4, jump 5 and 6),
  // their jockey's course and the surface they like, the most due first.
  static constexpr int MaxVenues = 3;
  static std::size_t QueueOf(int level, int slot, int surface) {
    return static_cast<std::size_t>((level * MaxVenues + slot) * 3 + surface);
  }
  std::vector<std::vector<TCandidate>> FReady = std::vector<std::vector<TCandidate>>(7 * MaxVenues * 3);
  int FVenueCount = 0;
  std::vector<int> FJockeyVenue;                  // venue slot of each jockey today
  std::vector<std::vector<qint16>> FVenueRiders;  // the jockeys at each venue slot today
  std::map<qint64, TDemoDayRunners> FDays;
};
