#pragma once

#include "demo/DemoRandom.h"
#include "demo/RunningModel.h"
#include "records/RecordLayout.h"

#include <QList>

// One paid combination: horse numbers (frames for the bracket quinella), the
// payout for 100 yen and the popularity rank among all combinations.
struct TPayout {
  QList<int> Numbers;
  qint64 Payout = 0;
  int Rank = 0;
};

// Every bet type's paid combinations, index by TBetType.
struct TRacePayouts {
  QList<TPayout> Of[8];
  const QList<TPayout>& operator[](TBetType betType) const { return Of[static_cast<int>(betType)]; }
};

// Pays out a race from the public's odds: win chances from the horses'
// abilities seen through the public's errors, combinations by Harville's
// formula, payouts after the pool's deduction. Three places (two with seven
// starters or fewer), no bracket quinella with eight horses or fewer; a dead
// heat pays every combination it makes. `frames` gives horse n's frame at n - 1.
TRacePayouts PayRace(const TRaceRun& run, const QList<int>& frames, TDemoRandom& random);
