#include "results/DisplayModes.h"

#include "results/ResultsCells.h"
#include "settings/BandRules.h"

#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString Hex(TRgb rgb) {
  return QString::asprintf("#%02x%02x%02x", rgb.R, rgb.G, rgb.B);
}

// One legend line: a swatch of the colour holding its label, then what it stands for.
QString Row(TRgb colour, const QString& label, const QString& meaning) {
  return u"<tr><td bgcolor=\"%1\" align=\"center\">&nbsp;%2&nbsp;</td><td>%3</td></tr>"_s.arg(Hex(colour),
                                                                                              label, meaning);
}

QString Lengths(int from, int to) {
  if (from == to) return u"%1馬身差"_s.arg(from);
  return u"%1～%2馬身差"_s.arg(from).arg(to);
}

// Rows behind the front, in lengths as the settings dialog names them.
QString BandRange(TBand band, const TSettings& s) {
  switch (band) {
    case TBand::Nige:
      return s.Nige <= 1 ? u"先頭"_s : Lengths(0, s.Nige - 1);
    case TBand::Senkou:
      return Lengths(s.Nige, s.Senkou - 1);
    case TBand::Koui:
      return Lengths(s.Senkou, s.Koui - 1);
    case TBand::Tyuudan:
      return Lengths(s.Koui, s.Tyuudan - 1);
    case TBand::Kouhou:
      return u"%1馬身差以上"_s.arg(s.Tyuudan);
    case TBand::None:
      break;
  }
  return {};
}

QString Lanes(int from, int to) {
  if (from == to) return u"%1頭目"_s.arg(from);
  return u"%1～%2頭目"_s.arg(from).arg(to);
}

QString CornerLegend(const TSettings& s) {
  QString rows;
  for (TBand band : AllBands) rows += Row(BandColour(band), BandLabel(band), BandRange(band, s));
  rows += Row(NamedColour::White, u"　　"_s, u"位置なし"_s);
  const QString in = s.Saiuti == 1 ? u"最内"_s : Lanes(s.Saiuti, s.Saiuti);
  rows += u"<tr><td align=\"center\">IN</td><td>%1</td></tr>"_s.arg(in);
  // A settings file may put the bold limit at the first OUT lane or inside it.
  if (s.Osoto > s.Soto)
    rows += u"<tr><td align=\"center\">OUT</td><td>%1</td></tr>"_s.arg(Lanes(s.Soto, s.Osoto - 1));
  rows +=
      u"<tr><td align=\"center\"><b>OUT</b></td><td>%1頭目より外</td></tr>"_s.arg(std::max(s.Osoto, s.Soto));
  return rows;
}

QString FrameLegend(bool eight) {
  if (!eight) {
    return Row(TResultsCells::FrameColour3(1), u"1・2枠"_s, QString()) +
           Row(TResultsCells::FrameColour3(3), u"3～6枠"_s, QString()) +
           Row(TResultsCells::FrameColour3(7), u"7・8枠"_s, QString());
  }
  QString cells;
  for (int frame = 1; frame <= 8; ++frame) {
    // Digits on the dark frames in white.
    const QString ink = frame == 2 || frame == 4 ? u"#ffffff"_s : u"#000000"_s;
    cells += u"<td bgcolor=\"%1\" align=\"center\"><font color=\"%2\">&nbsp;%3&nbsp;</font></td>"_s.arg(
        Hex(TResultsCells::FrameColour8(frame)), ink, QString::number(frame));
  }
  return u"<tr><td>枠番</td>%1</tr>"_s.arg(cells);
}

QString PayoutLegend() {
  const struct {
    int Payout;
    const char16_t* Meaning;
  } bands[] = {{0, u"払戻なし"},     {1, u"150円未満"},    {150, u"150～199円"},
               {200, u"200～299円"}, {300, u"300～499円"}, {500, u"500円以上"}};
  QString rows;
  for (const auto& band : bands)
    rows += Row(TResultsCells::PayoutColour(band.Payout), u"　　"_s,
                u"複勝 "_s + QString::fromUtf16(band.Meaning));
  return rows;
}

}  // namespace

bool TDisplayModes::PressStart() {
  const bool wasDown = FMode == TDisplayMode::Start;
  FMode = TDisplayMode::Start;
  return wasDown;
}

void TDisplayModes::PressJockey() {
  if (FMode != TDisplayMode::Jockey) {
    FThreshold = 1;
  } else {
    FThreshold = FThreshold < MaxThreshold ? FThreshold + 1 : 1;
  }
  FMode = TDisplayMode::Jockey;
}

QString TDisplayModes::Caption(TDisplayMode mode) {
  switch (mode) {
    case TDisplayMode::Start:
      return QStringLiteral("スタート");
    case TDisplayMode::Corner3:
      return QStringLiteral("３コーナー");
    case TDisplayMode::Corner4:
      return QStringLiteral("４コーナー");
    case TDisplayMode::Jockey:
      return QStringLiteral("騎手");
  }
  return {};
}

QString TDisplayModes::JockeyCaption() const {
  if (FMode != TDisplayMode::Jockey) return Caption(TDisplayMode::Jockey);
  return Caption(TDisplayMode::Jockey) + QString::number(FThreshold);
}

QString TDisplayModes::Hint(TDisplayMode mode) const {
  switch (mode) {
    case TDisplayMode::Start:
      if (FMode != TDisplayMode::Start) return QStringLiteral("枠順表示");
      return FSettings.Display ? QStringLiteral("３色表示に切り替え") : QStringLiteral("８色表示に切り替え");
    case TDisplayMode::Corner3:
      return QStringLiteral("３コーナー位置取り");
    case TDisplayMode::Corner4:
      return QStringLiteral("４コーナー位置取り");
    case TDisplayMode::Jockey:
      if (FMode != TDisplayMode::Jockey) return QStringLiteral("騎手名表示");
      return JockeyCaption() + QStringLiteral("回以上");
  }
  return {};
}

QString TDisplayModes::FilterCaption(TSurfaceFilter filter) {
  switch (filter) {
    case TSurfaceFilter::All:
      return QStringLiteral("全レース");
    case TSurfaceFilter::Turf:
      return QStringLiteral("芝のみ");
    case TSurfaceFilter::Dirt:
      return QStringLiteral("ダートのみ");
  }
  return {};
}

QString TDisplayModes::FilterHint(TSurfaceFilter filter) {
  switch (filter) {
    case TSurfaceFilter::All:
      return QStringLiteral("全レース表示");
    case TSurfaceFilter::Turf:
      return QStringLiteral("芝レースのみ表示");
    case TSurfaceFilter::Dirt:
      return QStringLiteral("ダートレースのみ表示");
  }
  return {};
}

QString TDisplayModes::Tip(TDisplayMode mode) const {
  QString legend;
  QStringList notes{u"箱は左から1着・2着・3着"_s};
  switch (mode) {
    case TDisplayMode::Start:
      legend = FrameLegend(FSettings.Display);
      break;
    case TDisplayMode::Corner3:
    case TDisplayMode::Corner4:
      legend = CornerLegend(FSettings);
      notes.append(u"IN・OUT は内外の位置"_s);
      break;
    case TDisplayMode::Jockey: {
      legend = PayoutLegend();
      const int threshold = FMode == TDisplayMode::Jockey ? FThreshold : 1;
      notes.append(u"騎手名はこの日%1回以上3着以内の騎手"_s.arg(threshold));
      break;
    }
  }
  // Cell borders keep the white swatches apart from the tip's own background.
  return u"<p style=\"white-space:pre\">%1</p>"
         "<table border=\"1\" cellspacing=\"0\" cellpadding=\"1\" style=\"border-color:#a0a0a0;"
         " border-style:solid\">%2</table><p style=\"white-space:pre\">%3</p>"_s.arg(
             Hint(mode).toHtmlEscaped(), legend, notes.join(u"<br>"_s));
}
