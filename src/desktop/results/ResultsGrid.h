#pragma once

#include "results/CellPaint.h"
#include "results/ResultsCells.h"
#include "results/ResultsList.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QWidget>

// The results list's grid: one fixed column of race labels and a
// column per venue, 12 rows, its own 1-pixel grid lines, no scroll bars. Every
// cell is painted as TResultsCells decides; the mouse and keys are reported to
// the window, which decides what they do.
class TResultsGrid : public QWidget {
  Q_OBJECT

public:
  static constexpr int LineWidth = 1;

  TResultsGrid(TResultsList& list, TResultsCells& cells, QWidget* parent = nullptr);

  // The list's day changed: takes the list's column count and keeps the current
  // cell where it still exists.
  void Refit();

  int CurrentRow() const { return FCurrent.y(); }
  void SetCurrentCell(int column, int row);

  // The cell a point lies in (a grid line belongs to the cell before it), or
  // (-1, -1) outside every cell.
  QPoint CellAt(const QPoint& pos) const;
  // A cell's pixels, without the grid lines after it.
  static QRect CellRect(int column, int row);

  QSize sizeHint() const override;

  // The tooltip at a point: the horse of the finisher box there, whose pixels
  // go to box; empty elsewhere.
  QString TipAt(const QPoint& pos, QRect* box = nullptr) const;

signals:
  // A double click on a race column or Enter: act on the current cell.
  void CellActivated(int column, int row);
  void PointerOverCell(int column, int row);
  void PointerLeft();
  // A cell could not be painted; the message says why.
  void PaintFailed(const QString& message);

protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  void PaintCell(QPainter& painter, const TCellPaint& paint);
  QColor ColourOf(const TPaintColour& colour) const;
  const QFont& FontFor(int pointSize, bool bold) const;

  TResultsList& FList;
  TResultsCells& FCells;
  QPoint FCurrent{1, 0};
  QFont FFonts[2][2];  // [7 or 9 point][bold]
  QString FLastPaintError;
};
