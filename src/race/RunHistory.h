#pragma once

#include "archive/Archive.h"
#include "race/RunRows.h"

#include <QList>

// Runs out of the archive with the race window's figures, each race's
// position line taken from the position file's lines (sorted, as
// Position.dat keeps them), so every figure agrees with Position.dat.

// The runs, in the order given; runs of races the archive or the position
// file lacks, and steeplechases, are left out. Throws TFileError.
QList<TRunRow> HistoryRows(TArchive& archive, const QList<TRunKey>& runs, const TByteLines& positionLines,
                           const TSettings& settings);

// What makes a run a wide trip: ground lost running wide of at least MinLoss
// metres, or a converted-time rank at least MinGain places better than the
// placing. A threshold of 0 is not used.
struct TWideCriteria {
  int MinLoss = 0;
  int MinGain = 0;
};

struct TWideTrip {
  TRunRow Run;
  // The horse's next run in the archive: its race, number and placing only;
  // RaceKey empty when none.
  TRunRow Next;
};

// The wide trips of the days from `from` to `to` (yyyymmdd, both included),
// in race key and sheet order.
QList<TWideTrip> WideTrips(TArchive& archive, const QByteArray& from, const QByteArray& to,
                           const TByteLines& positionLines, const TSettings& settings,
                           const TWideCriteria& criteria);
