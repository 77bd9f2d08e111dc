#pragma once

#include "position/Rgb.h"

#include <QList>
#include <QPoint>
#include <QString>

#include <optional>

// A cell or box rectangle as the grid hands it out: Right and Bottom are the
// first pixels outside, so a box from L to L + 49 has Left L and Right L + 49.
struct TCellRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  TCellRect Shrunk(int by) const { return {Left + by, Top + by, Right - by, Bottom - by}; }
  bool operator==(const TCellRect&) const = default;
};

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
