#pragma once

// The core's paint types as Qt's.

#include "paint/CellRect.h"
#include "paint/Rgb.h"

#include <QColor>
#include <QRect>

inline QColor ToQColor(TRgb rgb) {
  return QColor(rgb.R, rgb.G, rgb.B);
}

inline QRect ToQRect(const TCellRect& r) {
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}
