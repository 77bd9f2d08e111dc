#pragma once

#include "paint/CellRect.h"
#include "paint/Rgb.h"

#include <QList>
#include <QPoint>
#include <QString>

#include <optional>

// A colour to paint with: a fixed RGB value, or a colour the desktop theme supplies.
struct TPaintColour {
  enum class TRole { Rgb, Grid, GreyText, ButtonText, ButtonHighlight };

  TRole Role = TRole::Rgb;
  TRgb Rgb;

  static TPaintColour Of(TRgb rgb) { return {TRole::Rgb, rgb}; }
  static TPaintColour Theme(TRole role) { return {role, {}}; }
  bool operator==(const TPaintColour&) const = default;
};

enum class TTextAlign { Left, Centre, Right };

// One box of a cell. The view fills Rect, then draws a 1-pixel Border on Rect's own
// edge pixels, then Text on a single line, vertically centred and clipped to the
// text rectangle (Rect shrunk by TextInset).
struct TCellBox {
  TCellRect Rect;
  std::optional<TPaintColour> Fill;
  std::optional<TRgb> Border;
  QString Text;
  TPaintColour TextColour;
  TTextAlign Align = TTextAlign::Left;
  bool Bold = false;
  int PointSize = 9;
  int TextInset = 1;

  TCellRect TextRect() const { return Rect.Shrunk(TextInset); }
};

// A 1-pixel line through Points, in order.
struct TPolyline {
  QList<QPoint> Points;
  TPaintColour Colour;
};

// Everything one grid cell shows, in paint order: Background over the whole cell,
// then the boxes, then the lines.
struct TCellPaint {
  TCellRect Cell;
  TPaintColour Background;
  QList<TCellBox> Boxes;
  QList<TPolyline> Lines;
  bool Greyed = false;  // a race of the surface the filter hides, or a steeplechase
};
