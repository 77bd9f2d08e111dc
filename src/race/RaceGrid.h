#pragma once

#include "paint/CellRect.h"
#include "paint/Rgb.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

class TRaceSheet;

// How one cell of the race sheet is painted. The view only turns this into
// brushes and pens.
enum class TCellAlign { Left, Centre, Right };
enum class TCellTextColour { ButtonText, White, GridText };

struct TCellLook {
  QString Text;
  std::optional<TRgb> Background;  // empty: the grid's own colour
  TCellTextColour TextColour = TCellTextColour::GridText;
  TCellAlign Align = TCellAlign::Left;
  bool Outline = false;  // the 1-pixel red frame of the highlighted horse
};

inline constexpr TRgb HeaderColour{127, 217, 223};
inline constexpr TRgb OutlineColour{255, 0, 0};

// The look of cell (column, row); positionLine gives the frame colours. A
// straight course has no corners: its converted time is its finishing time.
// Throws TConvertError when a number or time cell does not hold an integer.
TCellLook RaceCellLook(const TRaceSheet& sheet, QByteArrayView positionLine, int column, int row);

// The sheet's geometry: the three fixed columns and one value column in view,
// 20-pixel rows, a 1-pixel grid line after every column and row.
namespace SheetGeometry {
inline constexpr int RowHeight = 20;
inline constexpr int LineWidth = 1;
inline constexpr int ColumnWidths[6] = {20, 20, 120, 40, 40, 40};
// 203: wide enough for the fixed columns and one value column.
int Width();
// Bottom edge of the last row.
int Height();
// Cell (column, row) with valueColumn in view; empty for a value column out of view.
TCellRect CellRect(int column, int row, int valueColumn);
// The cell under (x, y); column and row are -1 off the cells (on a grid line,
// or below the last row).
struct TCellHit {
  int Column = -1;
  int Row = -1;
};
TCellHit CellAt(int x, int y, int valueColumn);
}  // namespace SheetGeometry

// Which value column the buttons above the sheet put in view.
enum class TValueButton { RunTime, Converted, Speed };
int ValueColumn(TValueButton down);

// The blinking of a diagram marker after a press on its horse's row: hidden
// and shown three times, one step per tick, and left visible.
class TMarkerBlink {
public:
  // Timer period of one step.
  static constexpr int IntervalMs = 500;

  struct TShow {
    int Horse = 0;
    bool Visible = true;
  };

  // A press on cell (column, row) of the sheet; row -1 for below the last row.
  // markerVisible tells whether a horse's marker is shown. When a press cuts a
  // blink short, the returned change puts the old marker back.
  template <class TVisible>
  std::optional<TShow> Press(const TRaceSheet& sheet, int column, int row, TVisible markerVisible);

  // One timer step, given whether the blink horse's marker is shown now; what
  // to do with that marker.
  std::optional<TShow> Tick(bool markerVisible);
  // The section shown changed: the markers were placed anew, the blink ends.
  void Stop() {
    FRunning = false;
    FHidden = false;
  }

  bool Running() const { return FRunning; }
  int Horse() const { return FHorse; }
  int Counter() const { return FCounter; }

private:
  std::optional<TShow> Start(int horse, bool visible);
  static int PressedHorse(const TRaceSheet& sheet, int column, int row);

  int FHorse = 0;
  int FCounter = 0;
  bool FRunning = false;
  bool FHidden = false;
};

template <class TVisible>
std::optional<TMarkerBlink::TShow> TMarkerBlink::Press(const TRaceSheet& sheet, int column, int row,
                                                       TVisible markerVisible) {
  const int horse = PressedHorse(sheet, column, row);
  if (horse <= 0) return std::nullopt;
  return Start(horse, markerVisible(horse));
}

// The payouts scrolling leftwards in the status bar, one character a tick.
class TPayoutTicker {
public:
  // Timer period of one step.
  static constexpr int IntervalMs = 350;

  void SetOn(bool on, const QString& payoutLine);
  void Tick();
  bool On() const { return FOn; }
  const QString& Text() const { return FText; }

private:
  bool FOn = false;
  QString FText;
};
