#pragma once

#include "position/Rgb.h"

#include <QColor>

inline QColor ToQColor(TRgb rgb) {
  return QColor(rgb.R, rgb.G, rgb.B);
}
