#include "race/RaceGrid.h"

#include "race/RaceMath.h"
#include "race/RaceSheet.h"
#include "text/IntConvert.h"

namespace {

using namespace NamedColour;

// The whole text as a decimal integer, or nothing.
std::optional<int> IntegerOf(const QString& text) {
  bool ok = false;
  const int value = text.toInt(&ok, 10);
  if (!ok || text.trimmed() != text) return std::nullopt;
  return value;
}

TCellLook PlaceLook(const QString& text, int row) {
  TCellLook look{text, std::nullopt, TCellTextColour::ButtonText, TCellAlign::Right};
  const std::optional<int> place = IntegerOf(text);
  if (place && *place < 6)
    look.Background = Yellow;
  else if (!text.isEmpty() && !place)
    look.Background = Silver;
  // Placed behind its arrival row.
  else if (place && row < *place)
    look.Background = Lime;
  return look;
}

TCellLook NumberLook(const QString& text, QByteArrayView positionLine) {
  TCellLook look{QString(), std::nullopt, TCellTextColour::ButtonText, TCellAlign::Right};
  // A row without a horse stays a plain empty cell.
  if (text.isEmpty()) return look;
  const int number = StrToInt(text);
  const TRgb frame = FrameColour(positionLine, number);
  look.Text = QString::number(number);
  look.Background = frame;
  look.TextColour = frame == Yellow || frame == White ? TCellTextColour::ButtonText : TCellTextColour::White;
  return look;
}

TCellLook ConvertedLook(const QString& text, const QStringList& ranking) {
  TCellLook look{QString(), std::nullopt, TCellTextColour::GridText, TCellAlign::Right};
  if (text.isEmpty()) return look;
  const int value = StrToInt(text);
  // Compared by value, so equal times share a colour; a missing entry matches nothing.
  const TRgb colours[3] = {Red, Yellow, Cyan};
  for (qsizetype i = 0; i < 3 && i < ranking.size(); ++i)
    if (StrToInt(QStringView(ranking[i]).trimmed()) == value) {
      look.Background = colours[i];
      break;
    }
  look.Text = FormatTime(value);
  return look;
}

}  // namespace

TCellLook RaceCellLook(const TRaceSheet& sheet, QByteArrayView positionLine, int column, int row) {
  const QString& text = sheet.Cell(column, row);
  if (row == 0) return {text, HeaderColour, TCellTextColour::ButtonText, TCellAlign::Centre};
  switch (column) {
    case TRaceSheet::PlaceColumn:
      return PlaceLook(text, row);
    case TRaceSheet::NumberColumn:
      return NumberLook(text, positionLine);
    case TRaceSheet::NameColumn: {
      TCellLook look{text, std::nullopt, TCellTextColour::GridText, TCellAlign::Left};
      look.Outline = sheet.HighlightHorse != "00" &&
                     sheet.Cell(TRaceSheet::NumberColumn, row) == QLatin1StringView(sheet.HighlightHorse);
      return look;
    }
    case TRaceSheet::RunTimeColumn:
      return {text.isEmpty() ? QString() : FormatTime(StrToInt(text)), std::nullopt,
              TCellTextColour::GridText, TCellAlign::Right};
    case TRaceSheet::ConvertedColumn:
      return ConvertedLook(text, sheet.ConvRanking);
    default:
      return {text, std::nullopt, TCellTextColour::GridText, TCellAlign::Right};
  }
}

namespace SheetGeometry {

int Width() {
  return CellRect(TRaceSheet::RunTimeColumn, 0, TRaceSheet::RunTimeColumn).Right;
}

int Height() {
  return CellRect(0, TRaceSheet::RowCount - 1, TRaceSheet::RunTimeColumn).Bottom;
}

TCellRect CellRect(int column, int row, int valueColumn) {
  if (column < 0 || column >= TRaceSheet::ColumnCount || row < 0 || row >= TRaceSheet::RowCount) return {};
  if (column > TRaceSheet::NameColumn && column != valueColumn) return {};
  int left = 0;
  for (int c = 0; c < column; ++c)
    if (c <= TRaceSheet::NameColumn || c == valueColumn) left += ColumnWidths[c] + LineWidth;
  const int top = row * (RowHeight + LineWidth);
  return {left, top, left + ColumnWidths[column], top + RowHeight};
}

TCellHit CellAt(int x, int y, int valueColumn) {
  for (int row = 0; row < TRaceSheet::RowCount; ++row)
    for (int column = 0; column < TRaceSheet::ColumnCount; ++column)
      if (CellRect(column, row, valueColumn).Contains(x, y)) return {column, row};
  return {};
}

}  // namespace SheetGeometry

int ValueColumn(TValueButton down) {
  switch (down) {
    case TValueButton::Converted:
      return TRaceSheet::ConvertedColumn;
    case TValueButton::Speed:
      return TRaceSheet::SpeedColumn;
    default:
      return TRaceSheet::RunTimeColumn;
  }
}

int TMarkerBlink::PressedHorse(const TRaceSheet& sheet, int column, int row) {
  if (column < 0 || column > TRaceSheet::NameColumn || row < 1 || row >= TRaceSheet::RowCount) return 0;
  if (sheet.Cell(TRaceSheet::NameColumn, row).isEmpty()) return 0;
  return StrToInt(sheet.Cell(TRaceSheet::NumberColumn, row));
}

std::optional<TMarkerBlink::TShow> TMarkerBlink::Start(int horse, bool visible) {
  std::optional<TShow> restore;
  // A press in the middle of a blink must not leave the old marker hidden.
  if (FRunning && FHidden) restore = TShow{FHorse, true};
  FHidden = false;
  FHorse = horse;
  if (visible) {
    FCounter = 2;
    FRunning = true;
  } else {
    // A hidden marker has no place in the section shown: it is not made to blink.
    FRunning = false;
  }
  return restore;
}

std::optional<TMarkerBlink::TShow> TMarkerBlink::Tick(bool markerVisible) {
  if (!FRunning) return std::nullopt;
  if (markerVisible) {
    FHidden = true;
    return TShow{FHorse, false};
  }
  FHidden = false;
  if (--FCounter < 0) FRunning = false;
  return TShow{FHorse, true};
}

void TPayoutTicker::SetOn(bool on, const QString& payoutLine) {
  FOn = on;
  FText = on ? payoutLine : QString();
}

void TPayoutTicker::Tick() {
  if (!FOn || FText.isEmpty()) return;
  const qsizetype width = FText.size() > 1 && FText[0].isHighSurrogate() && FText[1].isLowSurrogate() ? 2 : 1;
  FText = FText.mid(width) + FText.left(width);
}
