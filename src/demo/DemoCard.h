#pragma once

#include "demo/DemoCalendar.h"
#include "demo/DemoRandom.h"

#include <QDate>
#include <QList>
#include <QString>

// Ground and weather of one venue's racing day, as record codes.
struct TDayConditions {
  int Weather = 1;    // 1 晴, 2 曇, 3 雨, 4 小雨, 5 雪, 6 小雪
  int TurfGoing = 1;  // 1 良, 2 稍重, 3 重, 4 不良
  int DirtGoing = 1;
};

enum class TSurface { Turf, Dirt, Steeple };

// One race of a venue's card, as the race record codes it.
struct TRacePlan {
  int RaceNumber = 1;
  QString Name;       // empty for a race without a name
  QString ShortName;  // up to three characters; empty when none
  char Grade = ' ';
  int RaceType = 13;
  int Condition = 5;
  int Distance = 1600;
  int TrackCode = 17;
  TSurface Surface = TSurface::Turf;
  int Horses = 16;  // at the draw
  // Corners the course has, in running order (3, 4 or 1, 2, 3, 4); none on a straight.
  QList<int> Corners;
};

// The day's conditions and twelve races of one venue on one day.
struct TVenueCard {
  TVenueDay Venue;
  TDayConditions Conditions;
  QList<TRacePlan> Races;
};

// Builds the card: maiden and newcomer races in the morning, the classes after,
// named specials from the 9th race and the main race 11th (a graded race at the
// first venue on Sundays); now and then a steeplechase; at 新潟 a race on the
// straight 1000 m turf every day.
TVenueCard MakeVenueCard(const QDate& day, const TVenueDay& venue, bool firstVenue, TDemoRandom& random);

// The cards of every venue racing on the day, in the calendar's order, as the
// seed deals them.
QList<TVenueCard> MakeDayCards(const QDate& day, const TDemoCalendar& calendar, int seed);
