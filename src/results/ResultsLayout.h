#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>

// Where the results list puts its panels and grid for a day, in client-area pixels.
struct TVenueTitle {
  QRect Rect;  // 120 x 20
  QString Text;
  bool Visible = false;
};

struct TResultsLayout {
  static constexpr int TopBandHeight = 28;  // the navigation and filter buttons
  static constexpr int LabelColumnWidth = 25;
  static constexpr int VenueColumnWidth = 275;
  static constexpr int RowHeight = 20;
  static constexpr int RowCount = 12;
  static constexpr int ModePanelWidth = 345;

  // One venue: the mode buttons get a band of their own below the top band;
  // otherwise they share the top band, right of the filter buttons.
  bool ModesBelowTopBand = false;
  QPoint ModePanelPos;
  std::array<int, 4> ModeButtonX{};  // スタート, ３コーナー, ４コーナー, 騎手
  QList<TVenueTitle> Titles;         // at least three: the first, second, third venue ...
  // "馬場傾向" and "CSV出力" at the right end of the titles' band, which has
  // room right of the last title whatever the number of venues.
  QRect BiasButton;
  QRect CsvButton;
  int ColumnCount = 2;
  QRect Grid;    // left, top, width, height (grid lines included)
  QSize Client;  // the window's client area
};

// The layout for a day whose venues have these titles. A day without venues keeps
// the one-venue shape with its title hidden; days of more than three venues add
// a column and a title every 275 pixels.
TResultsLayout LayoutFor(const QList<QString>& titles);
