#include "results/ResultsCells.h"

#include "settings/BandRules.h"
#include "text/Cp932.h"
#include "text/IntConvert.h"

#include <QStringList>

#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<int, TResultsCells::BoxCount> SubColumnWidths{50, 45, 70, 20, 30, 30, 30};

using namespace NamedColour;
constexpr TRgb PayoutBorder{128, 128, 128};
constexpr TRgb LabelColumn{166, 202, 240};
constexpr TRgb TurfText{0, 128, 0};
constexpr TRgb DirtText{128, 0, 0};

const TPaintColour GreyText = TPaintColour::Theme(TPaintColour::TRole::GreyText);

QString WithoutSpaces(QString text) {
  text.remove(u'　');
  text.remove(u' ');
  return text;
}

}  // namespace

TCellRect TResultsCells::RaceBox(const TCellRect& cell, int box) {
  int left = cell.Left;
  for (int k = 0; k < box; ++k) left += SubColumnWidths[k] - 1;
  return {left, cell.Top, left + SubColumnWidths[box] - 1, cell.Top + BoxHeight};
}

TRgb TResultsCells::FrameColour8(int frame) {
  switch (frame) {
    case 1:
      return White;
    case 2:
      return Black;
    case 3:
      return {255, 0, 0};
    case 4:
      return {0, 0, 255};
    case 5:
      return {255, 255, 0};
    case 6:
      return {0, 255, 0};
    case 7:
      return {255, 112, 0};
    case 8:
      return {255, 48, 160};
    default:
      return Cyan;
  }
}

TRgb TResultsCells::FrameColour3(int frame) {
  if (frame == 1 || frame == 2) return Silver;
  if (frame >= 3 && frame <= 6) return White;
  if (frame == 7 || frame == 8) return {255, 0, 255};
  return Cyan;
}

TRgb TResultsCells::PayoutColour(int payout) {
  if (payout == 0) return White;
  if (payout < 150) return {90, 155, 193};
  if (payout < 200) return {105, 193, 90};
  if (payout < 300) return {193, 187, 90};
  if (payout < 500) return {193, 136, 90};
  return {193, 90, 172};
}

TCellPaint TResultsCells::DrawCell(int column, int row, const TCellRect& cell, bool fixed, bool focused) {
  TCellPaint paint;
  paint.Cell = cell;
  const QByteArray text = FList.Cell(column, row);
  if (fixed) {
    paint.Background = TPaintColour::Of(LabelColumn);
    TCellBox label;
    label.Rect = cell;
    label.TextInset = 2;
    label.Text = DecodeCp932(text);
    label.TextColour = TPaintColour::Theme(TPaintColour::TRole::ButtonText);
    label.Align = TTextAlign::Right;
    paint.Boxes.append(label);
    paint.Lines.append(
        {{QPoint(cell.Left, cell.Bottom - 1), QPoint(cell.Left, cell.Top), QPoint(cell.Right, cell.Top)},
         TPaintColour::Theme(TPaintColour::TRole::ButtonHighlight)});
  } else {
    paint.Background = TPaintColour::Theme(TPaintColour::TRole::Grid);
    DrawRace(paint, text);
  }
  if (focused && !text.isEmpty()) {
    paint.Lines.append(
        {{QPoint(cell.Left, cell.Bottom - 1), QPoint(cell.Left, cell.Top), QPoint(cell.Right - 1, cell.Top),
          QPoint(cell.Right - 1, cell.Bottom - 1), QPoint(cell.Left, cell.Bottom - 1)},
         TPaintColour::Of(Red)});
  }
  return paint;
}

TPaintColour TResultsCells::SurfaceColour(const QString& track) const {
  const TSurfaceFilter filter = FList.Modes().Filter();
  if (track.startsWith(u'芝') && filter != TSurfaceFilter::Dirt) return TPaintColour::Of(TurfText);
  if (track.startsWith(u'ダ') && filter != TSurfaceFilter::Turf) return TPaintColour::Of(DirtText);
  return GreyText;
}

void TResultsCells::DrawRace(TCellPaint& paint, const QByteArray& line) {
  TRaceRecord& race = FList.RaceAccessor();
  QString track, name, klass, going;
  QByteArray weather = "0";
  if (!line.isEmpty()) {
    track = race.TrackDistance(line);
    name = race.RaceLabel(line);
    klass = race.ClassLabel(line);
    weather = race.WeatherCode(line);
    going = race.GoingLabel(line);
  }

  TPaintColour colour = SurfaceColour(track);
  paint.Greyed = colour == GreyText;

  auto textBox = [&](int k, const QString& text, TTextAlign align, bool bold) {
    TCellBox box;
    box.Rect = RaceBox(paint.Cell, k);
    box.Text = text;
    box.TextColour = colour;
    box.Align = align;
    box.Bold = bold;
    return box;
  };
  paint.Boxes.append(textBox(0, track, TTextAlign::Left, true));
  if (!paint.Greyed) colour = TPaintColour::Of(Black);
  paint.Boxes.append(textBox(1, name, TTextAlign::Left, true));
  paint.Boxes.append(textBox(2, klass, TTextAlign::Left, true));
  TCellBox goingBox = textBox(3, going, TTextAlign::Centre, false);
  // Read leniently: a blank weather byte must not stop the whole grid from painting.
  if (StrToIntOrZero(weather) > 2) goingBox.Fill = TPaintColour::Of(Cyan);
  paint.Boxes.append(goingBox);

  if (!line.isEmpty() && !paint.Greyed) DrawFinishers(paint, line);
}

void TResultsCells::DrawFinishers(TCellPaint& paint, const QByteArray& line) {
  if (!FList.LoadSummary(FList.SummaryOf(FList.RaceAccessor().RaceKey(line)))) return;
  const TSettings& settings = FList.Settings();
  const TDisplayModes& modes = FList.Modes();
  for (int q = 0; q < 3; ++q) {
    const TPlaceEntry entry = FList.PlaceEntry(q);
    TCellBox box;
    box.Rect = RaceBox(paint.Cell, 4 + q);
    box.TextColour = TPaintColour::Of(Black);
    box.Align = TTextAlign::Centre;
    switch (modes.Mode()) {
      case TDisplayMode::Start: {
        const int frame = StrToInt(QByteArrayView(&entry.Frame, 1));
        if (settings.Display) {
          box.Fill = TPaintColour::Of(FrameColour8(frame));
          if (frame == 1) box.Border = Silver;
        } else {
          box.Fill = TPaintColour::Of(FrameColour3(frame));
          if (frame < 7) box.Border = Silver;
        }
        break;
      }
      case TDisplayMode::Corner3:
      case TDisplayMode::Corner4: {
        const QByteArray& position = modes.Mode() == TDisplayMode::Corner3 ? entry.Corner3 : entry.Corner4;
        const int row = StrToInt(position.left(2));
        const int lane = StrToInt(position.mid(2, 2));
        box.Fill = TPaintColour::Of(BandColour(BandOfRow(row, settings)));
        const TLaneClass laneClass = LaneClassOf(lane, settings);
        box.Text = LaneMarkText(laneClass.Mark);
        box.Bold = laneClass.Bold;
        break;
      }
      case TDisplayMode::Jockey: {
        const int payout = StrToInt(entry.Payout);
        box.Fill = TPaintColour::Of(PayoutColour(payout));
        if (payout == 0) box.Border = PayoutBorder;
        // A name missing from the day's counts (a summary rebuilt since) shows no name.
        const int count = FList.JockeyCount(DecodeCp932(entry.Jockey)).value_or(0);
        if (count >= modes.JockeyThreshold()) box.Text = WithoutSpaces(DecodeCp932(entry.Jockey.left(6)));
        box.PointSize = 7;
        break;
      }
    }
    paint.Boxes.append(box);
  }
}

std::optional<QString> TResultsCells::JockeyStatus(int column, int row) {
  if (FList.Modes().Mode() != TDisplayMode::Jockey) return std::nullopt;
  if (column == 0) return QString();
  const QByteArray line = FList.Cell(column, row);
  if (line.isEmpty()) return std::nullopt;
  if (!FList.LoadSummary(FList.SummaryOf(FList.RaceAccessor().RaceKey(line)))) return std::nullopt;
  QString text;
  for (int q = 0; q < 3; ++q)
    text += WithoutSpaces(DecodeCp932(FList.PlaceEntry(q).Jockey)) + QStringLiteral("  ");
  return text;
}

TDoubleClickDecision TResultsCells::DoubleClick(int column, int row) {
  if (column < 1) return {};
  const QByteArray line = FList.Cell(column, row);
  if (line.isEmpty()) return {};
  if (FList.RaceAccessor().IsSteeplechase(line)) return {TDoubleClickAction::Sorry, {}};
  return {TDoubleClickAction::OpenRace, line};
}

int TResultsCells::FinisherBoxAt(const TCellRect& cell, int x, int y) {
  for (int box = 4; box < BoxCount; ++box)
    if (RaceBox(cell, box).Contains(x, y)) return box;
  return -1;
}

QString TResultsCells::FinisherTip(int column, int row, int place) {
  if (column < 1 || place < 0 || place > 2) return {};
  const QByteArray line = FList.Cell(column, row);
  if (line.isEmpty()) return {};
  TRaceRecord& race = FList.RaceAccessor();
  // Only the boxes the cell shows: none for a greyed-out race or one without a summary.
  if (SurfaceColour(race.TrackDistance(line)) == GreyText) return {};
  if (!FList.LoadSummary(FList.SummaryOf(race.RaceKey(line)))) return {};
  const TPlaceEntry entry = FList.PlaceEntry(place);
  const TSettings& settings = FList.Settings();
  const int number = StrToInt(entry.HorseNumber);
  QStringList lines{
      u"%1着 %2番 %3"_s.arg(place + 1).arg(number).arg(FList.RunnerName(line, number)).trimmed(),
      u"%1枠"_s.arg(StrToInt(QByteArrayView(&entry.Frame, 1)))};
  switch (FList.Modes().Mode()) {
    case TDisplayMode::Start:
      break;
    case TDisplayMode::Corner3:
    case TDisplayMode::Corner4: {
      const bool third = FList.Modes().Mode() == TDisplayMode::Corner3;
      const QByteArray& position = third ? entry.Corner3 : entry.Corner4;
      const int spotRow = StrToInt(position.left(2));
      const int lane = StrToInt(position.mid(2, 2));
      const QString corner = TDisplayModes::Caption(FList.Modes().Mode());
      if (spotRow <= 0 || lane <= 0) {
        lines.append(corner + u" 位置なし"_s);
        break;
      }
      const TLaneClass laneClass = LaneClassOf(lane, settings);
      QString spot = u"%1 %2 %3列目・内から%4頭目"_s.arg(corner, BandLabel(BandOfRow(spotRow, settings)))
                         .arg(spotRow)
                         .arg(lane);
      if (laneClass.Mark != TLaneMark::None) spot += u' ' + LaneMarkText(laneClass.Mark);
      if (laneClass.Mark == TLaneMark::Out && laneClass.Bold) spot += u"（太字）"_s;
      lines.append(spot);
      break;
    }
    case TDisplayMode::Jockey: {
      const int payout = StrToInt(entry.Payout);
      lines.append(payout > 0 ? u"複勝 %1円"_s.arg(payout) : u"複勝 払戻なし"_s);
      lines.append(u"騎手 "_s + WithoutSpaces(DecodeCp932(entry.Jockey)));
      break;
    }
  }
  return lines.join(u'\n');
}
