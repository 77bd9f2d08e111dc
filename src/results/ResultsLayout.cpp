#include "results/ResultsLayout.h"

#include <algorithm>

namespace {

constexpr int TitleTop = 32;  // below the top band
constexpr int GridTop = 55;
constexpr int TitleWidth = 120;
constexpr int TitleHeight = 20;
constexpr int ButtonWidth = 64;

}  // namespace

TResultsLayout LayoutFor(const QList<QString>& titles) {
  TResultsLayout layout;
  const int venueCount = int(titles.size());
  layout.ModesBelowTopBand = venueCount <= 1;
  const int shift = layout.ModesBelowTopBand ? TResultsLayout::TopBandHeight : 0;
  if (layout.ModesBelowTopBand) {
    layout.ModePanelPos = QPoint(0, TResultsLayout::TopBandHeight);
    layout.ModeButtonX = {45, 109, 173, 237};
  } else {
    layout.ModePanelPos = QPoint(308, 0);
    layout.ModeButtonX = {0, ButtonWidth, 2 * ButtonWidth, 3 * ButtonWidth};
  }

  const int gridLeft = 0;
  const int panelCount = std::max(3, venueCount);
  for (int v = 0; v < panelCount; ++v) {
    TVenueTitle title;
    title.Rect = QRect(gridLeft + TResultsLayout::LabelColumnWidth + v * TResultsLayout::VenueColumnWidth,
                       shift + TitleTop, TitleWidth, TitleHeight);
    if (v < venueCount) {
      title.Text = titles[v];
      title.Visible = true;
    }
    layout.Titles.append(title);
  }

  layout.ColumnCount = 1 + std::max(1, venueCount);
  // Every column and row is followed by a 1-pixel grid line.
  const int width = TResultsLayout::LabelColumnWidth + 1 +
                    (layout.ColumnCount - 1) * (TResultsLayout::VenueColumnWidth + 1);
  const int height = TResultsLayout::RowCount * (TResultsLayout::RowHeight + 1);
  layout.Grid = QRect(gridLeft, shift + GridTop, width, height);
  layout.Client = QSize(gridLeft + width + 2, shift + GridTop + height + 2);
  const int buttonTop = shift + TitleTop - 1;
  layout.CsvButton = QRect(layout.Client.width() - 3 - ButtonWidth, buttonTop, ButtonWidth, TitleHeight + 2);
  layout.BiasButton = layout.CsvButton.translated(-ButtonWidth - 2, 0);
  return layout;
}
