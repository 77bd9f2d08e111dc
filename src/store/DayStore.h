#pragma once

#include "text/LineFile.h"

#include <QList>
#include <QStringList>

// One race of the day store: its race record, its position line (empty when
// none is stored) and its runners' SE lines in arrival order.
struct TRaceEntry {
  QByteArray RaceLine;
  QByteArray PositionLine;
  TByteLines Runners;
};

// The in-memory form of the downloaded results that every window reads.
struct TDayStore {
  QList<TRaceEntry> Races;
  TByteLines UmaLines;  // unmatched SE lines, as race key "=" SE line
  TByteLines PayLines;
  TByteLines RaceDates;      // distinct race dates of Races, ascending (oldest first)
  TByteLines PosLines;       // lines of the position file
  TByteLines RaceSummaries;  // one per entry of Races, same order
  QStringList CornerNames;
};
