#pragma once

#include "race/TrackDiagram.h"

#include <algorithm>

// The first shown horse with the spot one lane out free (a move out takes it
// there); 0 for none.
inline int HorseWithRoom(const TTrackDiagram& diagram) {
  for (int n = 1; n <= std::min(diagram.N, TTrackDiagram::MaxHorses); ++n)
    if (diagram.Markers[n - 1].Visible &&
        !diagram.SpotOccupied(diagram.Rows[n - 1], diagram.Lanes[n - 1] + 1))
      return n;
  return 0;
}
