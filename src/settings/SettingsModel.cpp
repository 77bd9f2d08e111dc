#include "settings/SettingsModel.h"

#include "settings/BandRules.h"

#include <algorithm>
#include <utility>

TSettingsModel::TSettingsModel() {
  // Positions before the first opening; a loaded value equal to one of these
  // runs no rule, so that bar's text stays empty until a rule writes it.
  constexpr std::array<int, BarCount> initial{1, 11, 13, 15, 15, 1, 6, 7};
  for (int bar = 1; bar <= BarCount; ++bar) {
    TSliderBar& b = B(bar);
    b.Max = bar <= 5 ? RowMax : LaneMax;
    b.Position = initial[bar - 1];
    b.Enabled = bar != 1 && bar != 6;
  }
}

void TSettingsModel::Open(const TSettings& settings) {
  SetUseTG(settings.UseTG);
  FPay = settings.Pay;
  FFolder = settings.TargetDir;
  if (settings.Distance == 2) FLoss = TLossOption::TwoMetres;
  if (settings.Distance == 3) FLoss = TLossOption::ThreeMetres;
  FColours = settings.Display ? TColourOption::Eight : TColourOption::Three;

  SetPosition(1, settings.Nige);
  B(1).SelStart = 1;
  B(1).SelEnd = P(1);
  SetPosition(2, settings.Senkou);
  B(2).SelStart = P(1) + 1;
  B(2).SelEnd = P(2);
  SetPosition(3, settings.Koui);
  B(3).SelStart = P(2) + 1;
  B(3).SelEnd = P(3);
  SetPosition(4, settings.Tyuudan);
  B(4).SelStart = P(3) + 1;
  B(4).SelEnd = P(4);
  SetPosition(5, P(4));
  B(5).SelStart = P(5);
  B(5).SelEnd = RowMax;

  SetPosition(6, settings.Saiuti);
  SetPosition(7, settings.Soto);
  B(7).SelStart = P(7);
  SetPosition(8, settings.Osoto);
  B(7).SelEnd = P(8) - 1;
}

void TSettingsModel::Accept(TSettings& settings) const {
  settings.TargetDir = FFolder;
  if (FLoss == TLossOption::TwoMetres) settings.Distance = 2;
  if (FLoss == TLossOption::ThreeMetres) settings.Distance = 3;
  if (FColours != TColourOption::None) settings.Display = FColours == TColourOption::Eight;
  settings.UseTG = FUseTG;
  settings.Pay = FPay;
  settings.Nige = P(1);
  settings.Senkou = P(2);
  settings.Koui = P(3);
  settings.Tyuudan = P(4);
  settings.Soto = P(7);
  settings.Osoto = P(8);
}

void TSettingsModel::MoveBar(int bar, int position) {
  if (bar < 1 || bar > BarCount || !Bar(bar).Enabled) return;
  SetPosition(bar, position);
}

void TSettingsModel::SetUseTG(bool on) {
  FUseTG = on;
  FOkFocus = true;
}

bool TSettingsModel::TakeOkFocusRequest() {
  return std::exchange(FOkFocus, false);
}

void TSettingsModel::SetPosition(int bar, int position) {
  TSliderBar& b = B(bar);
  position = std::clamp(position, b.Min, b.Max);
  if (position == b.Position) return;
  b.Position = position;
  RunRule(bar);
}

void TSettingsModel::RunRule(int bar) {
  switch (bar) {
    case 1:
      if (P(1) >= P(2)) SetPosition(1, P(2) - 1);
      B(2).SelStart = P(1) + 1;
      B(1).SelStart = 1;
      B(1).SelEnd = P(1);
      break;
    case 2:
    case 3:
      // Stops against both neighbours.
      if (P(bar - 1) >= P(bar)) SetPosition(bar, P(bar - 1) + 1);
      if (P(bar) >= P(bar + 1)) SetPosition(bar, P(bar + 1) - 1);
      B(bar).SelStart = P(bar - 1) + 1;
      B(bar).SelEnd = P(bar);
      B(bar + 1).SelStart = P(bar) + 1;
      FTexts[bar - 1] = BandText(bar);
      FTexts[bar] = BandText(bar + 1);
      break;
    case 4:
      if (P(3) >= P(4)) SetPosition(4, P(3) + 1);
      SetPosition(5, P(4));
      B(4).SelStart = P(3) + 1;
      B(4).SelEnd = P(4);
      B(5).SelStart = P(4);
      FTexts[3] = BandText(4);
      FTexts[4] = QString::number(P(4)) + QStringLiteral("馬身差以上");
      break;
    case 5:
      SetPosition(4, P(5));
      B(5).SelStart = P(5);
      B(5).SelEnd = RowMax;
      FTexts[3] = BandText(4);
      FTexts[4] = QString::number(P(4)) + QStringLiteral("馬身差以上");
      break;
    case 7:
      if (P(7) < SotoMin) SetPosition(7, SotoMin);
      if (P(7) > SotoMax) SetPosition(7, SotoMax);
      if (P(7) >= P(8)) SetPosition(8, P(7) + 1);
      B(7).SelStart = P(7);
      B(7).SelEnd = P(8) - 1;
      FTexts[6] = LaneText();
      break;
    case 8:
      if (P(7) >= P(8)) SetPosition(8, P(7) + 1);
      B(8).SelStart = P(8);
      B(8).SelEnd = LaneMax;
      B(7).SelEnd = P(8) - 1;
      FTexts[7] = QString::number(P(8)) + QStringLiteral("頭目より外");
      FTexts[6] = LaneText();
      break;
    default:
      break;
  }
  FOkFocus = true;
}

QString TSettingsModel::BandText(int bar) const {
  const int s = Bar(bar).SelStart;
  const int p = P(bar);
  if (s == p) return QString::number(p - 1) + QStringLiteral("馬身差");
  return QString::number(s - 1) + QStringLiteral("～") + QString::number(p - 1) + QStringLiteral("馬身差");
}

QString TSettingsModel::LaneText() const {
  const int s = Bar(7).SelStart;
  const int e = Bar(7).SelEnd;
  if (s == e) return QString::number(e) + QStringLiteral("頭目");
  return QString::number(s) + QStringLiteral("～") + QString::number(e) + QStringLiteral("頭目");
}

QString TSettingsModel::ValueText(int bar) const {
  if (bar == 1) return QStringLiteral("（先頭に固定）");
  if (bar == 6) return QStringLiteral("（最内に固定）");
  if (bar < 1 || bar > BarCount) return {};
  return FTexts[bar - 1];
}

QString TSettingsModel::CaptionText(int bar) {
  if (bar >= 1 && bar <= 5) return BandLabel(AllBands[bar - 1]);
  if (bar == 6) return QStringLiteral("IN");
  if (bar == 7 || bar == 8) return QStringLiteral("OUT");
  return {};
}

TRgb TSettingsModel::CaptionColour(int bar) {
  return bar >= 1 && bar <= 5 ? BandColour(AllBands[bar - 1]) : BandColour(TBand::None);
}
