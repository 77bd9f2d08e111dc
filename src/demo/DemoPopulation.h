#pragma once

#include "demo/DemoCalendar.h"

#include <QDate>
#include <QList>
#include <QString>

// One runner as the demo population sends it.
struct TDemoEntry {
  QString Name;    // unpadded
  int Jockey = 0;  // index into the jockey roster
  double Ability = 0.0;
};

// The demo's horses: each keeps one name for its whole career, runs every
// three to eight weeks at its own class, surface and trip, goes up a class
// with each win and retires after some years or runs, while two-year-olds
// come in through the newcomer and maiden races. Jockeys come from one
// roster, and a horse mostly keeps its own. The population is simulated in
// eras of a few years (TDemoEra), each kept for the rest of the process, so
// a day's runners depend on nothing but the random stream and the days.
namespace DemoPopulation {
// Names an era may give: more than five years of racing bring in.
constexpr qint64 NamesPerEra = 30000;
// The runners of every race of the day: venue by venue in the calendar's
// order, twelve races each, horse n at n - 1. Empty without racing.
QList<QList<TDemoEntry>> DayFields(int seed, const TDemoCalendar& calendar, const QDate& day);
}  // namespace DemoPopulation
