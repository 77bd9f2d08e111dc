#include "demo/DemoCalendar.h"

namespace {

constexpr int WeekendsPerPeriod = 4;

// Three venues per period of the year, in a seasonal round much like the real one.
constexpr int PeriodVenues[][3] = {
    {6, 8, 10}, {5, 8, 10}, {6, 9, 7}, {6, 9, 3}, {5, 8, 4}, {5, 9, 2}, {3, 7, 2},
    {4, 10, 1}, {6, 9, 1},  {5, 8, 4}, {5, 8, 3}, {6, 9, 7}, {6, 9, 7},
};
constexpr int PeriodCount = sizeof(PeriodVenues) / sizeof(PeriodVenues[0]);

QDate FirstSaturday(int year) {
  QDate d(year, 1, 5);
  while (d.dayOfWeek() != Qt::Saturday) d = d.addDays(1);
  return d;
}

// The weekend's Saturday for a Saturday, Sunday or Monday; null otherwise.
QDate SaturdayOf(const QDate& day) {
  switch (day.dayOfWeek()) {
    case Qt::Saturday:
      return day;
    case Qt::Sunday:
      return day.addDays(-1);
    case Qt::Monday:
      return day.addDays(-2);
    default:
      return {};
  }
}

// Which of the weekend's days (0 Sat, 1 Sun, 2 Mon) venue slot 0..2 races.
bool RacesOn(int slot, int dayIndex, bool threeDays) {
  if (!threeDays) return dayIndex < 2;
  static constexpr bool Pattern[3][3] = {{true, true, false}, {true, false, true}, {false, true, true}};
  return Pattern[slot][dayIndex];
}

}  // namespace

bool TDemoCalendar::IsMondayHoliday(const QDate& day) {
  if (!day.isValid() || day.dayOfWeek() != Qt::Monday) return false;
  const int week = (day.day() - 1) / 7 + 1;  // n-th Monday of the month
  return (day.month() == 1 && week == 2) || (day.month() == 9 && week == 3) ||
         (day.month() == 10 && week == 2);
}

QList<TVenueDay> TDemoCalendar::VenuesOf(const QDate& day) const {
  QList<TVenueDay> venues;
  const QDate saturday = SaturdayOf(day);
  if (!saturday.isValid()) return venues;
  const bool threeDays = FMondayHolidays && IsMondayHoliday(saturday.addDays(2));
  const int dayIndex = static_cast<int>(saturday.daysTo(day));
  if (dayIndex == 2 && !threeDays) return venues;
  if (day.month() == 12 && day.day() > 28) return venues;
  const QDate first = FirstSaturday(saturday.year());
  if (saturday < first) return venues;
  const int weekend = static_cast<int>(first.daysTo(saturday) / 7);
  const int period = weekend / WeekendsPerPeriod;
  if (period >= PeriodCount) return venues;

  for (int slot = 0; slot < 3; ++slot) {
    if (!RacesOn(slot, dayIndex, threeDays)) continue;
    const int venue = PeriodVenues[period][slot];
    int meeting = 1;
    for (int p = 0; p < period; ++p)
      for (const int v : PeriodVenues[p])
        if (v == venue) ++meeting;
    // Days of this venue in this period up to and including the day.
    int dayNumber = 0;
    const QDate periodStart = first.addDays(7 * WeekendsPerPeriod * period);
    for (QDate s = periodStart; s <= saturday; s = s.addDays(7)) {
      const bool three = FMondayHolidays && IsMondayHoliday(s.addDays(2));
      for (int i = 0; i < 3; ++i) {
        if (s == saturday && i > dayIndex) break;
        if (RacesOn(slot, i, three) && (i < 2 || three)) ++dayNumber;
      }
    }
    venues.append({venue, meeting, dayNumber});
  }
  return venues;
}
