#pragma once

#include "settings/Settings.h"

#include <QString>

enum class TSurfaceFilter { All, Turf, Dirt };
enum class TDisplayMode { Start, Corner3, Corner4, Jockey };

// The results list's two button groups: the surface filter and the display mode
// with the jockey threshold. Pressing "スタート" while it is down asks for the
// other frame colour scheme, a program-wide setting that the session changes;
// the hints read the settings as they are.
class TDisplayModes {
public:
  static constexpr int MaxThreshold = 5;

  explicit TDisplayModes(const TSettings& settings) : FSettings(settings) {}

  TSurfaceFilter Filter() const { return FFilter; }
  void SetFilter(TSurfaceFilter filter) { FFilter = filter; }

  TDisplayMode Mode() const { return FMode; }
  int JockeyThreshold() const { return FThreshold; }

  // A whole press (mouse down and the click after it) on each mode button.
  // True when the press asks to switch the frame colours (it was down already).
  [[nodiscard]] bool PressStart();
  void PressCorner3() { FMode = TDisplayMode::Corner3; }
  void PressCorner4() { FMode = TDisplayMode::Corner4; }
  void PressJockey();

  static QString Caption(TDisplayMode mode);  // "騎手" without the threshold
  QString JockeyCaption() const;              // "騎手" or "騎手1" ... "騎手5" while down
  // Hints as the buttons show them at the next mouse move.
  QString Hint(TDisplayMode mode) const;
  // The button's tooltip: the hint, then what the finisher boxes' colours and
  // marks mean in that mode under the settings as they stand (rich text).
  QString Tip(TDisplayMode mode) const;

  static QString FilterCaption(TSurfaceFilter filter);
  static QString FilterHint(TSurfaceFilter filter);

private:
  const TSettings& FSettings;
  TSurfaceFilter FFilter = TSurfaceFilter::All;
  TDisplayMode FMode = TDisplayMode::Start;
  int FThreshold = 1;
};
