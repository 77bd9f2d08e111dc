#pragma once

#include <cstdint>

// A colour as the core decides it; only the widgets turn it into a QColor.
struct TRgb {
  std::uint8_t R = 0;
  std::uint8_t G = 0;
  std::uint8_t B = 0;

  bool operator==(const TRgb&) const = default;
};

// The named colours the windows share.
namespace NamedColour {
inline constexpr TRgb Black{0, 0, 0};
inline constexpr TRgb White{255, 255, 255};
inline constexpr TRgb Silver{192, 192, 192};
inline constexpr TRgb Red{255, 0, 0};
inline constexpr TRgb Lime{0, 255, 0};
inline constexpr TRgb Yellow{255, 255, 0};
inline constexpr TRgb Cyan{0, 255, 255};
}  // namespace NamedColour
