#include "results/TrackBias.h"

#include "position/PositionLine.h"
#include "records/RaceRecord.h"
#include "records/Venues.h"
#include "store/RaceSummary.h"
#include "text/IntConvert.h"

#include <QHash>

namespace {

// Sections of the two corners, counted back from the goal.
constexpr int CornerSection[2] = {3, 2};
// A winner weighs three, the second two, the third one.
constexpr int PlaceWeight[3] = {3, 2, 1};

// The share of weight that fell on horses matching `hit`, over all weight.
struct TShare {
  double Hit = 0;
  double All = 0;
  double Value() const { return All > 0 ? Hit / All : 0; }
};

struct TVerdictInput {
  TShare PlacedFront, PlacedIn, PlacedOut;
  TShare FieldFront, FieldIn, FieldOut;
};

bool IsFront(TBand band) {
  return band == TBand::Nige || band == TBand::Senkou;
}

void AddShares(TShare& front, TShare& in, TShare& out, int row, int lane, double weight,
               const TSettings& settings) {
  if (row <= 0 || lane <= 0) return;
  front.All += weight;
  in.All += weight;
  out.All += weight;
  if (IsFront(BandOfRow(row, settings))) front.Hit += weight;
  const TLaneGroup group = LaneGroupOf(lane, settings);
  if (group == TLaneGroup::In) in.Hit += weight;
  if (group == TLaneGroup::Out || group == TLaneGroup::WideOut) out.Hit += weight;
}

// Shares are ratios of small whole numbers, so a difference of exactly 15
// points may come out a hair below 0.15 in floating point; it still counts.
constexpr double Tolerance = 1e-9;

QString Verdict(int races, const TVerdictInput& v) {
  if (races < BiasMinimumRaces) return QStringLiteral("データ不足");
  QStringList parts;
  const double front = v.PlacedFront.Value() - v.FieldFront.Value();
  if (front >= BiasMargin - Tolerance) parts.append(QStringLiteral("前有利"));
  if (front <= -BiasMargin + Tolerance) parts.append(QStringLiteral("差し有利"));
  const double in = v.PlacedIn.Value() - v.FieldIn.Value();
  const double out = v.PlacedOut.Value() - v.FieldOut.Value();
  if (in >= BiasMargin - Tolerance && in >= out - Tolerance)
    parts.append(QStringLiteral("内有利"));
  else if (out >= BiasMargin - Tolerance)
    parts.append(QStringLiteral("外有利"));
  return parts.isEmpty() ? QStringLiteral("フラット") : parts.join(u'・');
}

}  // namespace

TLaneGroup LaneGroupOf(int lane, const TSettings& settings) {
  const TLaneClass lc = LaneClassOf(lane, settings);
  if (lc.Mark == TLaneMark::Out) return lc.Bold ? TLaneGroup::WideOut : TLaneGroup::Out;
  if (lc.Mark == TLaneMark::In) return TLaneGroup::In;
  return TLaneGroup::Middle;
}

QString LaneGroupLabel(TLaneGroup group) {
  switch (group) {
    case TLaneGroup::In:
      return QStringLiteral("IN");
    case TLaneGroup::Middle:
      return QStringLiteral("中");
    case TLaneGroup::Out:
      return QStringLiteral("OUT");
    case TLaneGroup::WideOut:
      return QStringLiteral("大外");
  }
  return {};
}

void TBiasCounts::Add(int row, int lane, const TSettings& settings) {
  if (row <= 0 || lane <= 0) return;
  const TBand band = BandOfRow(row, settings);
  for (int b = 0; b < BandCount; ++b)
    if (AllBands[b] == band) ++Bands[b];
  ++Lanes[int(LaneGroupOf(lane, settings))];
  ++Horses;
}

QString BiasCountText(int count, int horses) {
  if (horses <= 0) return QStringLiteral("-");
  return QStringLiteral("%1 (%2%)").arg(count).arg(qRound(100.0 * count / horses));
}

QString TBiasGroup::SurfaceLabel() const {
  return Turf ? QStringLiteral("芝") : QStringLiteral("ダート");
}

QList<TBiasGroup> DayBias(const TDayStore& store, const QByteArray& date, const TSettings& settings) {
  return RangeBias(store, date, date, settings);
}

QList<TBiasGroup> RangeBias(const TDayStore& store, const QByteArray& from, const QByteArray& to,
                            const TSettings& settings) {
  QHash<QByteArray, QByteArray> summaries;
  for (const QByteArray& line : store.RaceSummaries) {
    const TRaceSummary summary(line);
    summaries.insert(summary.RaceKey().toByteArray(), line);
  }

  QList<TBiasGroup> groups;
  QList<std::array<TVerdictInput, 2>> inputs;
  TRaceRecord race;
  for (const TRaceEntry& entry : store.Races) {
    const QByteArray date = race.RaceDate(entry.RaceLine);
    if (date < from || date > to) continue;
    const QString surface = race.TrackDistance(entry.RaceLine);
    const bool turf = surface.startsWith(u'芝');
    if (!turf && !surface.startsWith(u'ダ')) continue;
    const TPositionLine line(entry.PositionLine);
    if (!line.HasHeader() || line.IsStraight()) continue;
    const TRaceSummary summary(summaries.value(race.RaceKey(entry.RaceLine)));
    if (!summary.IsComplete()) continue;

    const QByteArray venue = race.RaceKey(entry.RaceLine).mid(8, 2);
    qsizetype at = 0;
    while (at < groups.size() && !(groups[at].VenueCode == venue && groups[at].Turf == turf)) ++at;
    if (at == groups.size()) {
      TBiasGroup group;
      group.VenueCode = venue;
      group.Venue = VenueName(venue);
      group.Turf = turf;
      groups.append(group);
      inputs.append(std::array<TVerdictInput, 2>{});
    }
    TBiasGroup& group = groups[at];
    ++group.Races;
    for (int c = 0; c < 2; ++c) {
      TBiasCorner& corner = group.Corners[c];
      TVerdictInput& v = inputs[at][c];
      for (int n = 1; n <= line.HorseCount(); ++n) {
        const int row = line.Row(n, CornerSection[c]);
        const int lane = line.Lane(n, CornerSection[c]);
        corner.Field.Add(row, lane, settings);
        AddShares(v.FieldFront, v.FieldIn, v.FieldOut, row, lane, 1.0, settings);
      }
      for (int place = 0; place < 3; ++place) {
        const QByteArrayView spot = c == Corner3 ? summary.Corner3(place) : summary.Corner4(place);
        const int row = StrToIntOrZero(spot.first(2));
        const int lane = StrToIntOrZero(spot.sliced(2, 2));
        corner.Placed.Add(row, lane, settings);
        AddShares(v.PlacedFront, v.PlacedIn, v.PlacedOut, row, lane, PlaceWeight[place], settings);
      }
    }
  }
  // The verdict reads the fourth corner, where the race is decided.
  for (qsizetype i = 0; i < groups.size(); ++i)
    groups[i].Verdict = Verdict(groups[i].Races, inputs[i][Corner4]);
  // Venues in order of first appearance, each with turf before dirt.
  QList<TBiasGroup> ordered;
  for (const TBiasGroup& first : std::as_const(groups)) {
    bool seen = false;
    for (const TBiasGroup& done : std::as_const(ordered)) seen = seen || done.VenueCode == first.VenueCode;
    if (seen) continue;
    for (const bool turf : {true, false})
      for (const TBiasGroup& group : std::as_const(groups))
        if (group.VenueCode == first.VenueCode && group.Turf == turf) ordered.append(group);
  }
  return ordered;
}
