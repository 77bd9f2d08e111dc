#pragma once

#include "settings/Settings.h"
#include "store/DayStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One runner of a race with the figures the race window shows for it: the
// sheet's texts, its row and lane at the ３コーナー and ４コーナー (0 when not
// placed there) and the ground it lost running wide.
struct TRunRow {
  QByteArray RaceKey;
  QString Venue;
  int RaceNumber = 0;
  QString Course;  // "芝1600"
  QString Going;
  int Frame = 0;
  int HorseNumber = 0;
  QString Name;
  QString Jockey;
  QString Place;       // the sheet's text: a placing or a mark such as 外
  int Placing = 0;     // 0 without one
  QString Mark;        // 消, 外, 止, 失, 再 or empty
  int FinalPlace = 0;  // the record's placing, under a mark too; 0 without one
  QString RunTime;
  QString Converted;
  QString Speed;
  int RunTenths = 0;        // 0 without a time
  int ConvertedTenths = 0;  // 0 without a time
  int ConvertedRank = 0;    // by converted time among the race's timed runners; 0 without a time
  int Row3 = 0, Lane3 = 0, Row4 = 0, Lane4 = 0;
  int GroundLost = 0;  // metres; 0 on a straight course
  QString AddedTime;   // the exported figure; empty on a straight course
};

class TRaceState;

// The runner on a row of the race's sheet (1 to 18) as the working state
// stands, without its added time and rank; Name is empty for an empty row.
TRunRow SheetRunRow(const TRaceState& state, int sheetRow);

// The race window's tooltip for a runner: its times and speed, its row and
// lane at the section shown (caption; row and lane 0 when it has no place
// there, an empty caption when no section is shown) and, unless the course is
// straight, the ground it lost.
QString RunRowTip(const TRunRow& row, bool straight, const QString& section, int sectionRow, int sectionLane);

// Every runner of a race of the store, in the sheet's order. Throws TDataError
// when the race cannot be shown, TConvertError when its data do not convert.
QList<TRunRow> RaceRunRows(const TDayStore& store, const QByteArray& raceLine, const TSettings& settings);
