#pragma once

#include "paint/Rgb.h"
#include "settings/Settings.h"

#include <QString>

// Position bands by rows behind the front, and lane marks by places out from
// the rail, both by the limits in the settings.
enum class TBand { None, Nige, Senkou, Koui, Tyuudan, Kouhou };

enum class TLaneMark { None, In, Out };

struct TLaneClass {
  TLaneMark Mark = TLaneMark::None;
  bool Bold = false;  // the mark is drawn in bold (lane at Osoto or beyond)

  bool operator==(const TLaneClass&) const = default;
};

inline constexpr TBand AllBands[] = {TBand::Nige, TBand::Senkou, TBand::Koui, TBand::Tyuudan, TBand::Kouhou};

// Row 0 (no position) has no band.
TBand BandOfRow(int row, const TSettings& settings);
// "逃げ", "先行", "好位", "中団", "後方"; empty for no band.
QString BandLabel(TBand band);
// The band's colour; white for no band.
TRgb BandColour(TBand band);

// Lane 0 (no position) has no mark.
TLaneClass LaneClassOf(int lane, const TSettings& settings);
// "IN", "OUT" or empty.
QString LaneMarkText(TLaneMark mark);
