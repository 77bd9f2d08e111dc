#pragma once

#include <QDate>
#include <QtGlobal>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

// The demo's own random numbers (splitmix64 and Box-Muller), so the same seed
// writes the same bytes with any standard library.
class TDemoRandom {
public:
  explicit TDemoRandom(std::uint64_t seed) : FState(seed) {}
  // The independent streams of a racing day: a venue's card, and a race's run,
  // payouts and earlier stages.
  enum TStream : std::uint64_t { Card, Run, Pay = 3, Stage };

  // A stream for one item (a day, a venue, a race), independent of the order
  // in which the items are made.
  static TDemoRandom For(std::initializer_list<std::uint64_t> parts) {
    std::uint64_t h = 0x6a09e667f3bcc908ull;
    for (const std::uint64_t part : parts) h = Mix(h ^ (part + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2)));
    return TDemoRandom(h);
  }
  static TDemoRandom ForRace(int seed, const QDate& day, int venue, int raceNumber, TStream stream) {
    return For({std::uint64_t(seed), std::uint64_t(day.toJulianDay()), std::uint64_t(venue),
                std::uint64_t(raceNumber), stream});
  }

  std::uint64_t Next() {
    FState += 0x9e3779b97f4a7c15ull;
    return Mix(FState);
  }
  // In [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  // In [low, high].
  int Between(int low, int high) {
    return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }
  bool Chance(double p) { return Uniform() < p; }
  double Normal(double mean = 0.0, double sd = 1.0) {
    const double u = 1.0 - Uniform();
    const double v = Uniform();
    return mean + sd * std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Between(0, static_cast<int>(N) - 1)];
  }

private:
  static std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }

  std::uint64_t FState;
};
