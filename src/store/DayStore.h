#pragma once

#include "text/LineFile.h"

#include <QList>
#include <QStringList>

// One race line of the day store with the horse list it owns: line 0 is the
// race's position line (empty when none is stored), then its SE lines in
// arrival order.
struct TRaceEntry {
  QByteArray RaceLine;
  TByteLines HorseList;
};

// The in-memory form of the downloaded results that every window reads.
struct TDayStore {
  QList<TRaceEntry> RaceLines;
  TByteLines UmaLines;  // unmatched SE lines, as race key "=" SE line
  TByteLines PayLines;
  TByteLines RaceDates;      // distinct race dates of RaceLines, ascending (oldest first)
  TByteLines PosLines;       // lines of the position file
  TByteLines RaceSummaries;  // one per entry of RaceLines, same order
  QStringList CornerNames;
};
