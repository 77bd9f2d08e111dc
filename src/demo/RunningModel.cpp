#include "demo/RunningModel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double TenthsPerLength = 1.7;

struct TPace {
  int Distance;
  double SecondsPerKm;
};

constexpr TPace TurfPace[] = {{1000, 56.6}, {1200, 57.6}, {1400, 58.3}, {1600, 58.9}, {1800, 59.5},
                              {2000, 60.0}, {2400, 60.8}, {3000, 61.8}, {3600, 62.8}};
constexpr TPace DirtPace[] = {{1000, 59.0}, {1200, 59.8}, {1400, 60.5}, {1600, 61.0},
                              {1800, 62.0}, {2100, 62.5}, {2400, 64.0}};

template <std::size_t N>
double Interpolate(const TPace (&table)[N], int distance) {
  if (distance <= table[0].Distance) return table[0].SecondsPerKm;
  for (std::size_t i = 1; i < N; ++i) {
    if (distance <= table[i].Distance) {
      const double t = double(distance - table[i - 1].Distance) / (table[i].Distance - table[i - 1].Distance);
      return table[i - 1].SecondsPerKm + t * (table[i].SecondsPerKm - table[i - 1].SecondsPerKm);
    }
  }
  return table[N - 1].SecondsPerKm;
}

double ClassAdjustment(const TRacePlan& plan) {
  double adj = 0.0;
  if (plan.Grade == 'A' || plan.Grade == 'B' || plan.Grade == 'C') {
    adj = -0.006;
  } else {
    switch (plan.Condition) {
      case 701:
        adj = 0.012;
        break;
      case 703:
        adj = 0.006;
        break;
      case 5:
        adj = 0.003;
        break;
      case 10:
        adj = 0.0;
        break;
      case 16:
        adj = -0.002;
        break;
      default:
        adj = -0.004;
        break;
    }
  }
  if (plan.RaceType == 11) adj += 0.008;
  return adj;
}

// Where on the way round each corner lies, as a share of the race.
double CornerShare(int corner, int cornerCount) {
  if (cornerCount <= 2) return corner == 3 ? 0.55 : 0.8;
  static constexpr double Share[] = {0.2, 0.35, 0.6, 0.8};
  return Share[std::clamp(corner, 1, 4) - 1];
}

}  // namespace

TPassingOrder WritePassingOrder(QList<TCornerHorse> horses) {
  std::stable_sort(horses.begin(), horses.end(),
                   [](const TCornerHorse& a, const TCornerHorse& b) { return a.Behind < b.Behind; });
  QList<QList<TCornerHorse>> units;
  for (const TCornerHorse& horse : horses) {
    if (units.isEmpty() || horse.Behind - units.last().first().Behind >= 1.0 || units.last().size() == 3)
      units.append(QList<TCornerHorse>());
    units.last().append(horse);
  }

  TPassingOrder order;
  int row = 0;
  for (qsizetype u = 0; u < units.size(); ++u) {
    const QList<TCornerHorse>& unit = units[u];
    const bool group = unit.size() > 1;
    int step = 1;
    if (u > 0) {
      const double gap = unit.first().Behind - units[u - 1].first().Behind;
      step = gap < 2.0 ? 1 : (gap < 5.0 ? 2 : 5);
      const bool besideGroup = group || units[u - 1].size() > 1;
      order.Text += step == 1 ? (besideGroup ? "" : ",") : (step == 2 ? "-" : "=");
    }
    row += step;
    const int leader = unit.first().Number;
    QList<TCornerHorse> abreast = unit;
    std::stable_sort(abreast.begin(), abreast.end(),
                     [](const TCornerHorse& a, const TCornerHorse& b) { return a.Lateral < b.Lateral; });
    if (group) order.Text += '(';
    for (qsizetype i = 0; i < abreast.size(); ++i) {
      if (i > 0) order.Text += ',';
      if (group && u == 0 && abreast[i].Number == leader) order.Text += '*';
      order.Text += QByteArray::number(abreast[i].Number);
      order.Numbers.append(abreast[i].Number);
      order.Rows.append(row);
      order.Lanes.append(static_cast<int>(i) + 1);
    }
    if (group) order.Text += ')';
  }
  return order;
}

int TypicalTime(const TRacePlan& plan, const TDayConditions& conditions) {
  double spk = 0.0;
  double going = 0.0;
  switch (plan.Surface) {
    case TSurface::Turf: {
      spk = plan.TrackCode == 10 ? 55.6 : Interpolate(TurfPace, plan.Distance);
      static constexpr double Going[] = {0.0, 0.0, 0.007, 0.016, 0.028};
      going = Going[std::clamp(conditions.TurfGoing, 0, 4)];
      break;
    }
    case TSurface::Dirt: {
      spk = Interpolate(DirtPace, plan.Distance);
      static constexpr double Going[] = {0.0, 0.0, -0.003, -0.007, -0.010};
      going = Going[std::clamp(conditions.DirtGoing, 0, 4)];
      break;
    }
    case TSurface::Steeple: {
      spk = 68.0 + (plan.Distance - 3000) / 1000.0;
      static constexpr double Going[] = {0.0, 0.0, 0.008, 0.018, 0.03};
      going = Going[std::clamp(conditions.TurfGoing, 0, 4)];
      break;
    }
  }
  return static_cast<int>(
      std::lround(plan.Distance / 1000.0 * spk * (1.0 + ClassAdjustment(plan) + going) * 10.0));
}

TRaceRun DecideFinish(const TRacePlan& plan, const QList<double>& abilities, TDemoRandom& random) {
  TRaceRun run;
  run.Corners = plan.Corners;
  const int n = plan.Horses;
  for (int i = 1; i <= n; ++i) {
    THorseRun horse;
    horse.Number = i;
    horse.Ability = abilities.value(i - 1);
    run.Horses.append(horse);
  }

  // Scratchings before the start (abnormality 1 or 2), never below five starters.
  if (n >= 6 && random.Chance(0.15)) {
    const int count = n >= 10 && random.Chance(0.2) ? 2 : 1;
    for (int k = 0; k < count; ++k) {
      THorseRun& horse = run.Horses[random.Between(0, n - 1)];
      horse.Abnormality = random.Chance(0.7) ? 1 : 2;
    }
  }
  QList<int> starters;  // indexes
  for (int i = 0; i < n; ++i)
    if (run.Horses[i].Abnormality == 0) starters.append(i);
  const int s = static_cast<int>(starters.size());

  // A non-finisher now and then: more often over fences.
  int stopper = -1;
  if (s >= 5 && random.Chance(plan.Surface == TSurface::Steeple ? 0.12 : 0.02)) {
    stopper = starters[random.Between(0, s - 1)];
    run.Horses[stopper].Abnormality = 4;
  }

  // Ability and luck; margins grow with distance and in the lower classes.
  double scale = 2.6 * std::sqrt(plan.Distance / 1600.0);
  if (plan.Condition == 701 || plan.Condition == 703) scale *= 1.3;
  if (plan.Condition == 5) scale *= 1.1;
  if (plan.Surface == TSurface::Steeple) scale *= 2.0;
  QList<double> form(n, 0.0);
  double best = -std::numeric_limits<double>::infinity();
  for (const int i : starters) {
    form[i] = run.Horses[i].Ability + random.Normal(0.0, 0.7);
    if (i != stopper) best = std::max(best, form[i]);
  }
  QList<int> finishers;
  for (const int i : starters) {
    if (i == stopper) continue;
    run.Horses[i].FinishBehind = (best - form[i]) * scale;
    finishers.append(i);
  }
  std::stable_sort(finishers.begin(), finishers.end(),
                   [&](int a, int b) { return run.Horses[a].FinishBehind < run.Horses[b].FinishBehind; });
  if (finishers.size() >= 4 && random.Chance(0.03)) {
    const int k = random.Between(0, 2);
    run.Horses[finishers[k + 1]].FinishBehind = run.Horses[finishers[k]].FinishBehind;
    run.DeadHeat = true;
  }
  for (qsizetype p = 0; p < finishers.size(); ++p) {
    THorseRun& horse = run.Horses[finishers[p]];
    const bool tied = p > 0 && horse.FinishBehind == run.Horses[finishers[p - 1]].FinishBehind;
    horse.Arrival = tied ? run.Horses[finishers[p - 1]].Arrival : static_cast<int>(p) + 1;
  }
  return run;
}

TRaceRun RunRace(const TRacePlan& plan, const TDayConditions& conditions, const QList<double>& abilities,
                 TDemoRandom& random) {
  TRaceRun run = DecideFinish(plan, abilities, random);
  const int n = plan.Horses;
  QList<int> starters;  // indexes
  int stopper = -1;
  for (int i = 0; i < n; ++i) {
    const int abnormality = run.Horses[i].Abnormality;
    if (abnormality == 0 || abnormality == 4) starters.append(i);
    if (abnormality == 4) stopper = i;
  }
  const int s = static_cast<int>(starters.size());
  const int corners = static_cast<int>(plan.Corners.size());
  const int stopAfter =
      corners > 0 ? random.Between(1, corners) : 0;  // corners the stopper is still listed at

  // Early speed decides the early shape: front-runners, stalkers, closers.
  QList<double> speed(n, 0.0);
  for (const int i : starters) speed[i] = random.Normal();
  QList<int> bySpeed = starters;
  std::stable_sort(bySpeed.begin(), bySpeed.end(), [&](int a, int b) { return speed[a] > speed[b]; });
  QList<double> early(n, 0.0);
  const double spread = (0.8 + 0.4 * random.Uniform()) * s * (plan.Distance >= 2000 ? 1.15 : 1.0);
  for (int r = 0; r < s; ++r) {
    const double share = s > 1 ? double(r) / (s - 1) : 0.0;
    early[bySpeed[r]] = std::max(0.0, spread * std::pow(share, 1.15) + random.Normal(0.0, 0.5));
  }

  const int winner = TypicalTime(plan, conditions);
  const double winnerTime = winner * (1.0 + random.Normal(0.0, 0.005));
  for (THorseRun& horse : run.Horses)
    if (horse.Arrival > 0)
      horse.Time = static_cast<int>(std::lround(winnerTime + horse.FinishBehind * TenthsPerLength));

  // The field at each corner: early shape giving way to the finish.
  QList<double> lateral(n, 0.0);
  for (const int i : starters)
    lateral[i] = 0.8 * (n > 1 ? double(i) / (n - 1) - 0.5 : 0.0) + random.Normal(0.0, 0.5);
  for (auto& horse : run.Horses) {
    horse.Rows.fill(0, corners);
    horse.Lanes.fill(0, corners);
  }
  for (int c = 0; c < corners; ++c) {
    const int corner = plan.Corners[c];
    const double w = std::pow(CornerShare(corner, corners), 1.6);
    QList<TCornerHorse> field;
    for (const int i : starters) {
      if (i == stopper && c >= stopAfter) continue;
      const double finish = i == stopper ? early[i] + 3.0 * c : run.Horses[i].FinishBehind;
      const double behind = (1.0 - w) * early[i] + w * finish + random.Normal(0.0, 0.45 + 0.3 * (1.0 - w));
      const double rank = s > 1 ? double(bySpeed.indexOf(i)) / (s - 1) : 0.0;
      const double wide = lateral[i] + random.Normal(0.0, 0.35) + (corner >= 3 ? 0.4 * rank : 0.0);
      field.append({run.Horses[i].Number, behind, wide});
    }
    double front = std::numeric_limits<double>::infinity();
    for (const TCornerHorse& h : field) front = std::min(front, h.Behind);
    for (TCornerHorse& h : field) h.Behind -= front;
    TPassingOrder order = WritePassingOrder(field);
    for (qsizetype k = 0; k < order.Numbers.size(); ++k) {
      THorseRun& horse = run.Horses[order.Numbers[k] - 1];
      horse.Rows[c] = order.Rows[k];
      horse.Lanes[c] = order.Lanes[k];
    }
    run.Orders.append(std::move(order));
  }
  return run;
}
