#pragma once

#include <cstdint>

// A colour as the core decides it; only the widgets turn it into a QColor.
struct TRgb {
  std::uint8_t R = 0;
  std::uint8_t G = 0;
  std::uint8_t B = 0;

  bool operator==(const TRgb&) const = default;
};
