#include "demo/DemoPayouts.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

using TCombo = QList<int>;

qint64 Floor10(double yen) {
  const double capped = std::min(yen, 999999990.0);
  return std::max<qint64>(100, static_cast<qint64>(capped / 10.0) * 10);
}

TCombo Sorted(TCombo combo) {
  std::sort(combo.begin(), combo.end());
  return combo;
}

// The chances of one bet type's combinations of up to three numbers (horses
// 1 to 18 or frames 1 to 8), kept in the order of their numbers.
class TChances {
public:
  explicit TChances(int size)
      : FSize(size), FChance(Radix * Radix * Radix, 0.0), FPresent(FChance.size(), false) {}

  double& operator[](const TCombo& combo) {
    const std::size_t at = IndexOf(combo);
    FPresent[at] = true;
    return FChance[at];
  }
  bool Contains(const TCombo& combo) const { return FPresent[IndexOf(combo)]; }
  double At(const TCombo& combo) const { return FChance[IndexOf(combo)]; }
  // Rank by chance among all combinations, most likely first; ties keep the order of their numbers.
  int Rank(const TCombo& combo) const {
    const std::size_t at = IndexOf(combo);
    const double chance = FChance[at];
    int rank = 1;
    for (std::size_t i = 0; i < FChance.size(); ++i)
      if (FPresent[i] && (FChance[i] > chance || (FChance[i] == chance && i < at))) ++rank;
    return rank;
  }
  // Every combination present with its chance, in the order of their numbers.
  template <typename F>
  void ForEach(F f) const {
    for (std::size_t i = 0; i < FChance.size(); ++i)
      if (FPresent[i]) f(ComboOf(i), FChance[i]);
  }

private:
  static constexpr std::size_t Radix = 19;

  std::size_t IndexOf(const TCombo& combo) const {
    std::size_t at = 0;
    for (int k = 0; k < 3; ++k) at = at * Radix + (k < combo.size() ? std::size_t(combo[k]) : 0);
    return at;
  }
  TCombo ComboOf(std::size_t at) const {
    TCombo combo{int(at / (Radix * Radix)), int(at / Radix % Radix), int(at % Radix)};
    return combo.first(FSize);
  }

  int FSize;
  std::vector<double> FChance;
  std::vector<bool> FPresent;
};

}  // namespace

TRacePayouts PayRace(const TRaceRun& run, const QList<int>& frames, TDemoRandom& random) {
  TRacePayouts pay;
  // Starters (non-finishers included: they were backed) and the public's win chances.
  QList<int> starters;
  QList<double> weight;
  double total = 0.0;
  for (const THorseRun& horse : run.Horses) {
    if (horse.Abnormality == 1 || horse.Abnormality == 2) continue;
    starters.append(horse.Number);
    weight.append(std::exp(1.5 * (horse.Ability + random.Normal(0.0, 0.4))));
    total += weight.last();
  }
  const int s = static_cast<int>(starters.size());
  if (s < 2) return pay;
  QList<double> p;
  for (const double w : weight) p.append(w / total);

  // Harville: chance of a, b, c finishing first, second, third.
  TChances win(1), place(1), bracket(2), quinella(2), wide(2), exacta(2), trio(3), trifecta(3);
  for (int a = 0; a < s; ++a) {
    win[{starters[a]}] = p[a];
    for (int b = 0; b < s; ++b) {
      if (b == a) continue;
      const double pab = p[a] * p[b] / (1.0 - p[a]);
      exacta[{starters[a], starters[b]}] += pab;
      quinella[Sorted({starters[a], starters[b]})] += pab;
      const int fa = frames.value(starters[a] - 1), fb = frames.value(starters[b] - 1);
      bracket[Sorted({fa, fb})] += pab;
      for (int c = 0; c < s && s >= 3; ++c) {
        if (c == a || c == b) continue;
        const double pabc = pab * p[c] / (1.0 - p[a] - p[b]);
        trifecta[{starters[a], starters[b], starters[c]}] += pabc;
        trio[Sorted({starters[a], starters[b], starters[c]})] += pabc;
      }
    }
  }
  const int places = s <= 7 ? 2 : 3;
  std::map<int, double> inPlace;
  for (const int number : starters) inPlace[number] = 0.0;
  (places == 3 ? trifecta : exacta).ForEach([&](const TCombo& combo, double chance) {
    for (const int number : combo) inPlace[number] += chance;
  });
  for (const int number : starters) place[{number}] = inPlace[number];
  trio.ForEach([&](const TCombo& combo, double chance) {
    wide[{combo[0], combo[1]}] += chance;
    wide[{combo[0], combo[2]}] += chance;
    wide[{combo[1], combo[2]}] += chance;
  });

  // Who finished where: a dead heat makes several orders true at once.
  QList<const THorseRun*> placed;
  for (const THorseRun& horse : run.Horses)
    if (horse.Arrival > 0) placed.append(&horse);
  std::stable_sort(placed.begin(), placed.end(),
                   [](const THorseRun* a, const THorseRun* b) { return a->Arrival < b->Arrival; });
  const auto canBe = [&](const THorseRun* horse, int position) {
    int tied = 0;
    for (const THorseRun* other : placed)
      if (other->Arrival == horse->Arrival) ++tied;
    return horse->Arrival <= position && position < horse->Arrival + tied;
  };
  QList<TCombo> orders2, orders3;
  for (const THorseRun* a : placed) {
    if (!canBe(a, 1)) continue;
    for (const THorseRun* b : placed) {
      if (b == a || !canBe(b, 2)) continue;
      orders2.append({a->Number, b->Number});
      for (const THorseRun* c : placed)
        if (c != a && c != b && canBe(c, 3)) orders3.append({a->Number, b->Number, c->Number});
    }
  }

  // Pays the combinations that came in; a dead heat splits the pool between them.
  const auto pay1 = [&](TBetType betType, const TChances& chances, const QList<TCombo>& paid,
                        double returned) {
    QList<TPayout>& list = pay.Of[static_cast<int>(betType)];
    const int limit = PayBlock(betType).Count;
    QList<TCombo> unique;
    for (const TCombo& combo : paid)
      if (!unique.contains(combo) && chances.Contains(combo)) unique.append(combo);
    const double k = static_cast<double>(unique.size());
    for (const TCombo& combo : unique) {
      if (list.size() >= limit) break;
      list.append({combo, Floor10(100.0 * returned / (k * chances.At(combo))), chances.Rank(combo)});
    }
  };
  // Place and wide: stakes on every paid combination come back first, the rest is shared.
  const auto payShared = [&](TBetType betType, const TChances& chances, const QList<TCombo>& paid,
                             double returned, double winnersPerRace) {
    QList<TPayout>& list = pay.Of[static_cast<int>(betType)];
    const int limit = PayBlock(betType).Count;
    double rest = returned;
    for (const TCombo& combo : paid) rest -= chances.At(combo) / winnersPerRace;
    const double k = static_cast<double>(paid.size());
    for (const TCombo& combo : paid) {
      if (list.size() >= limit) break;
      const double share = chances.At(combo) / winnersPerRace;
      list.append({combo, Floor10(100.0 * (1.0 + std::max(0.0, rest) / (k * share))), chances.Rank(combo)});
    }
  };

  QList<TCombo> winners, placeHorses, wides, quinellas, brackets, trios;
  for (const THorseRun* horse : placed) {
    if (horse->Arrival == 1) winners.append(TCombo{horse->Number});
    if (horse->Arrival <= places) placeHorses.append(TCombo{horse->Number});
  }
  for (const TCombo& order : orders2) {
    if (!quinellas.contains(Sorted(order))) quinellas.append(Sorted(order));
    const TCombo frames2 = Sorted({frames.value(order[0] - 1), frames.value(order[1] - 1)});
    if (!brackets.contains(frames2)) brackets.append(frames2);
  }
  for (const TCombo& order : orders3)
    if (!trios.contains(Sorted(order))) trios.append(Sorted(order));
  if (!orders3.isEmpty()) {
    for (qsizetype i = 0; i < placed.size(); ++i)
      for (qsizetype j = i + 1; j < placed.size(); ++j)
        if (placed[i]->Arrival <= 3 && placed[j]->Arrival <= 3)
          wides.append(Sorted({placed[i]->Number, placed[j]->Number}));
    std::sort(wides.begin(), wides.end());
  }

  pay1(TBetType::Win, win, winners, 0.8);
  payShared(TBetType::Place, place, placeHorses, 0.8, places);
  if (run.Horses.size() >= 9) pay1(TBetType::BracketQuinella, bracket, brackets, 0.775);
  pay1(TBetType::Quinella, quinella, quinellas, 0.775);
  payShared(TBetType::QuinellaPlace, wide, wides, 0.775, 3.0);
  pay1(TBetType::Exacta, exacta, orders2, 0.75);
  pay1(TBetType::Trio, trio, trios, 0.75);
  pay1(TBetType::Trifecta, trifecta, orders3, 0.725);
  return pay;
}
