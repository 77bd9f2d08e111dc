#pragma once

#include "demo/DemoCalendar.h"
#include "demo/DemoCard.h"
#include "demo/DemoPayouts.h"
#include "demo/DemoPopulation.h"
#include "demo/RunningModel.h"
#include "text/LineFile.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <functional>

// One race as the demo ran it, with the records of its final stage.
struct TDemoRace {
  QByteArray RaceKey;
  TRacePlan Plan;
  TDayConditions Conditions;
  TRaceRun Run;
  QList<int> Frames;       // horse n at n - 1
  QStringList HorseNames;  // unpadded
  QStringList Jockeys;     // four characters
  TRacePayouts Payouts;
  QByteArray RaceLine;    // RA, without CR LF
  TByteLines HorseLines;  // SE in horse number order
  QByteArray PayLine;     // HR
};

// The demo racing of one day written into a feed folder, in the shape the feed
// link takes as its writer of missing demo days.
std::function<void(const QString& feedDir, const QDate& day, int seed)> DemoFeedWriter();

// Writes what the data service would deliver as realtime results: for every
// racing day of the demo calendar, FEED/0B12/yyyymmdd.txt with the day's
// records in delivery order (CR LF after each). The same seed gives the same
// bytes, whichever days are written together.
class TDemoService {
public:
  explicit TDemoService(int seed = 1, bool mondayHolidays = true) : FSeed(seed), FCalendar(mondayHolidays) {}

  // The day's races, race number first, then venue.
  QList<TDemoRace> RacesOf(const QDate& day) const;
  // Every record of the day as delivered, each followed by CR LF: earlier
  // stages, records of other types and the final RA, SE and HR records.
  QByteArray DayFeed(const QDate& day) const;

  // Writes the day's file into the feed folder; nothing on a day without
  // racing. Returns whether it wrote. Throws TFileError.
  bool WriteDay(const QString& feedDir, const QDate& day) const;
  // Writes the `days` days ending on `lastDay`; returns the racing days written.
  QList<QDate> WriteFeed(const QString& feedDir, const QDate& lastDay, int days) const;

  // Race records only (RA, data kind 7, without CR LF) of every racing day from
  // `first` to `last`, quickly: for histories of many years.
  TByteLines RaceHistory(const QDate& first, const QDate& last) const;

private:
  // The race run by the field; names, jockeys and payouts only with the roster.
  TDemoRace MakeRace(const QDate& day, const TVenueCard& card, const TRacePlan& plan,
                     const QList<TDemoEntry>& field, const QStringList* roster) const;

  int FSeed;
  TDemoCalendar FCalendar;
};
