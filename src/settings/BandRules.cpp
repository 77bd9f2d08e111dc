#include "settings/BandRules.h"

TBand BandOfRow(int row, const TSettings& settings) {
  if (row > settings.Tyuudan) return TBand::Kouhou;
  if (row > settings.Koui) return TBand::Tyuudan;
  if (row > settings.Senkou) return TBand::Koui;
  if (row > settings.Nige) return TBand::Senkou;
  if (row >= 1) return TBand::Nige;
  return TBand::None;
}

QString BandLabel(TBand band) {
  switch (band) {
    case TBand::Nige:
      return QStringLiteral("逃げ");
    case TBand::Senkou:
      return QStringLiteral("先行");
    case TBand::Koui:
      return QStringLiteral("好位");
    case TBand::Tyuudan:
      return QStringLiteral("中団");
    case TBand::Kouhou:
      return QStringLiteral("後方");
    case TBand::None:
      break;
  }
  return {};
}

TRgb BandColour(TBand band) {
  switch (band) {
    case TBand::Nige:
      return {255, 159, 159};
    case TBand::Senkou:
      return {255, 207, 159};
    case TBand::Koui:
      return {255, 255, 159};
    case TBand::Tyuudan:
      return {207, 255, 159};
    case TBand::Kouhou:
      return {159, 255, 207};
    case TBand::None:
      break;
  }
  return {255, 255, 255};
}

TLaneClass LaneClassOf(int lane, const TSettings& settings) {
  if (lane <= 0) return {};
  TLaneClass result;
  if (lane >= settings.Soto) {
    result.Mark = TLaneMark::Out;
  } else if (lane == settings.Saiuti) {
    result.Mark = TLaneMark::In;
  }
  result.Bold = lane >= settings.Osoto;
  return result;
}

QString LaneMarkText(TLaneMark mark) {
  switch (mark) {
    case TLaneMark::In:
      return QStringLiteral("IN");
    case TLaneMark::Out:
      return QStringLiteral("OUT");
    case TLaneMark::None:
      break;
  }
  return {};
}
