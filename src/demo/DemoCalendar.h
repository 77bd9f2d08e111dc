#pragma once

#include <QDate>
#include <QList>

// The demo's racing calendar: which venues race on a day, with meeting and day
// numbers. It depends on the date alone, so any single day written on its own
// agrees with the days around it.
//
// The year's weekends, from the first Saturday on or after 5 January up to
// 28 December, fall into periods of four. Each period has three venues; each
// races twice a weekend, so a meeting is eight days. On a Monday holiday the
// three venues race two of the three days each (two venues a day).
struct TVenueDay {
  int Venue = 0;    // 1..10
  int Meeting = 0;  // the n-th meeting of the year at the venue
  int Day = 0;      // the n-th day of the meeting
};

class TDemoCalendar {
public:
  explicit TDemoCalendar(bool mondayHolidays = true) : FMondayHolidays(mondayHolidays) {}

  // The venues racing on the day, in the order the service delivers them.
  QList<TVenueDay> VenuesOf(const QDate& day) const;
  bool IsRacingDay(const QDate& day) const { return !VenuesOf(day).isEmpty(); }
  bool MondayHolidays() const { return FMondayHolidays; }

private:
  // 成人の日, 敬老の日 and スポーツの日.
  static bool IsMondayHoliday(const QDate& day);

  bool FMondayHolidays;
};
