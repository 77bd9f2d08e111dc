#pragma once

#include "paint/Rgb.h"
#include "settings/Settings.h"

#include <QString>

#include <array>

// One slider of the settings dialog: its limits, position and highlighted range.
struct TSliderBar {
  int Min = 1;
  int Max = 15;
  int Position = 1;
  int SelStart = 0;
  int SelEnd = 0;
  bool Enabled = true;
};

enum class TLossOption { None, TwoMetres, ThreeMetres };
enum class TColourOption { None, Eight, Three };

// The settings dialog without its widgets. The dialog is created once and
// keeps its state between openings; Open reloads it from the settings, Accept
// is "OK", and "キャンセル" simply does not call Accept.
//
// Bars 1 to 5 are the band limits (逃げ, 先行, 好位, 中団, 後方), bars 6 to 8
// the lane limits (IN, OUT, bold OUT). A position change runs that bar's rule,
// which may set another bar and so run that bar's rule at once; a position
// set to the value it already has changes nothing and runs no rule.
class TSettingsModel {
public:
  static constexpr int BarCount = 8;
  // The limits the bars offer: band rows 1..RowMax, lanes 1..LaneMax, and the
  // first OUT lane between SotoMin and SotoMax.
  static constexpr int RowMax = 15;
  static constexpr int LaneMax = 7;
  static constexpr int SotoMin = 3;
  static constexpr int SotoMax = 6;

  TSettingsModel();

  void Open(const TSettings& settings);
  void Accept(TSettings& settings) const;

  // A slider moved by the user (bar 1..8); the fixed bars 1 and 6 ignore it.
  void MoveBar(int bar, int position);
  const TSliderBar& Bar(int bar) const { return FBars.at(bar - 1); }

  // Value panels, in bar order: bars 1 and 6 show fixed texts.
  QString ValueText(int bar) const;
  static QString CaptionText(int bar);
  // Caption panel colour of the band bars 1..5.
  static TRgb CaptionColour(int bar);

  bool UseTG() const { return FUseTG; }
  void SetUseTG(bool on);
  // The export folder group follows the export check box.
  bool FolderGroupEnabled() const { return FUseTG; }
  bool Pay() const { return FPay; }
  void SetPay(bool on) { FPay = on; }
  TLossOption Loss() const { return FLoss; }
  void SetLoss(TLossOption option) { FLoss = option; }
  TColourOption Colours() const { return FColours; }
  void SetColours(TColourOption option) { FColours = option; }
  const QString& Folder() const { return FFolder; }
  void SetFolder(const QString& folder) { FFolder = folder; }

  // True once after any rule or check box change: the dialog then gives "OK"
  // the keyboard focus.
  bool TakeOkFocusRequest();

private:
  TSliderBar& B(int bar) { return FBars.at(bar - 1); }
  int P(int bar) const { return FBars.at(bar - 1).Position; }
  void SetPosition(int bar, int position);
  void RunRule(int bar);
  QString BandText(int bar) const;
  QString LaneText() const;

  std::array<TSliderBar, BarCount> FBars;
  // Texts change only when a rule rewrites them.
  std::array<QString, BarCount> FTexts;
  bool FUseTG = false;
  bool FPay = false;
  TLossOption FLoss = TLossOption::None;
  TColourOption FColours = TColourOption::None;
  QString FFolder;
  bool FOkFocus = false;
};
