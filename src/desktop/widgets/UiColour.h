#pragma once

#include "paint/Rgb.h"

#include <QColor>

inline QColor ToQColor(TRgb rgb) {
  return QColor(rgb.R, rgb.G, rgb.B);
}
