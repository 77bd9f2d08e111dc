#pragma once

#include "settings/BandRules.h"
#include "settings/Settings.h"
#include "store/DayStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

// Where a day's placed horses ran, beside where every runner ran: per venue
// and surface, by the user's position bands and lane classes at the third and
// fourth corner. Steeplechases and the straight course are left out.

// Lane classes by the lane marks: "IN", neither mark, "OUT", and "OUT" in bold.
enum class TLaneGroup { In, Middle, Out, WideOut };
inline constexpr int BandCount = 5;
inline constexpr int LaneGroupCount = 4;

TLaneGroup LaneGroupOf(int lane, const TSettings& settings);
// "IN", "中", "OUT", "大外".
QString LaneGroupLabel(TLaneGroup group);

// Horses counted by band (逃げ … 後方) and by lane class. A horse without a
// position at the corner is not counted.
struct TBiasCounts {
  std::array<int, BandCount> Bands{};
  std::array<int, LaneGroupCount> Lanes{};
  int Horses = 0;

  void Add(int row, int lane, const TSettings& settings);
};

struct TBiasCorner {
  TBiasCounts Placed;  // the first three finishers
  TBiasCounts Field;   // every runner of the same races
};

// The corners counted: ３コーナー and ４コーナー.
enum TBiasCornerIndex { Corner3 = 0, Corner4 = 1 };

struct TBiasGroup {
  QByteArray VenueCode;  // "05"
  QString Venue;         // "東京"
  bool Turf = true;      // 芝, else ダート
  int Races = 0;
  std::array<TBiasCorner, 2> Corners;
  QString Verdict;

  QString SurfaceLabel() const;
};

// A count with its share of the horses counted: "3 (33%)"; "-" when no horse was counted.
QString BiasCountText(int count, int horses);

// Races below this give "データ不足" instead of a verdict.
inline constexpr int BiasMinimumRaces = 3;
// Points by which the placed horses' weighted share must exceed the field's.
inline constexpr double BiasMargin = 0.15;

// The bias of one racing day (date "yyyymmdd") of the store, venues in order
// of first appearance, turf before dirt. Placed horses are those of each
// race's summary, so a corrected race counts as it was corrected.
QList<TBiasGroup> DayBias(const TDayStore& store, const QByteArray& date, const TSettings& settings);
// The same over the days from `from` to `to` (both included): a venue's
// groups count every race it ran in them, as over a meeting.
QList<TBiasGroup> RangeBias(const TDayStore& store, const QByteArray& from, const QByteArray& to,
                            const TSettings& settings);
