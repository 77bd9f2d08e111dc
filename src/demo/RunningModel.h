#pragma once

#include "demo/DemoCard.h"
#include "demo/DemoRandom.h"

#include <QByteArray>
#include <QList>

// One horse at one corner: how many lengths it is behind the leader and how
// far out it runs (larger is wider; only the order within a row matters).
struct TCornerHorse {
  int Number = 0;
  double Behind = 0.0;
  double Lateral = 0.0;
};

// A corner's passing order and the row and lane it gives each horse listed.
struct TPassingOrder {
  QByteArray Text;
  QList<int> Numbers;  // horses in the order written
  QList<int> Rows;     // row of each, 1 the front rank
  QList<int> Lanes;    // lane of each, 1 the rail
};

// Writes the official notation: horses within a length of the first of their
// row abreast in parentheses (rail first, at most three), then "," for about
// one to two lengths, "-" for two to five and "=" for more than five to the
// next row. Next to a group a one-row step is written without a sign, as the
// notation reads "," beside a parenthesis as a step of two rows. The leader
// of a first group is marked "*".
TPassingOrder WritePassingOrder(QList<TCornerHorse> horses);

struct THorseRun {
  int Number = 0;
  int Abnormality = 0;  // 0 ran; 1, 2 scratched; 4 did not finish
  double Ability = 0.0;
  int Arrival = 0;  // 1.. (a dead heat shares its place); 0 for no arrival
  int Time = 0;     // tenths of a second; 0 for no time
  double FinishBehind = 0.0;
  QList<int> Rows;  // per corner of the race, 0 where the horse is not listed
  QList<int> Lanes;
};

struct TRaceRun {
  QList<int> Corners;           // corner numbers in running order
  QList<TPassingOrder> Orders;  // one per corner
  QList<THorseRun> Horses;      // horse n at index n - 1
  bool DeadHeat = false;
};

// How the race will end, before it is run: scratchings, now and then a
// non-finisher, and the places and margins from the horses' abilities on the
// day (horse n's at n - 1) and luck. Times and corners are left to RunRace.
TRaceRun DecideFinish(const TRacePlan& plan, const QList<double>& abilities, TDemoRandom& random);

// Runs a race of the plan: the finish DecideFinish gives from the same random
// numbers, then running styles, the field's shape at every corner and times at
// a realistic pace for the course, class and going.
TRaceRun RunRace(const TRacePlan& plan, const TDayConditions& conditions, const QList<double>& abilities,
                 TDemoRandom& random);

// Winning time in tenths of a second of a typical race on the course.
int TypicalTime(const TRacePlan& plan, const TDayConditions& conditions);
