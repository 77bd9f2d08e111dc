#include "desktop/race/RaceGridView.h"

#include "desktop/widgets/UiColour.h"
#include "race/OpenRace.h"
#include "race/RaceGrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

TRaceGridView::TRaceGridView(TOpenRace& race, QWidget* parent)
    : QWidget(parent), FRace(&race), FValueColumn(TRaceSheet::RunTimeColumn) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  connect(&race, &TOpenRace::SheetChanged, this, qOverload<>(&QWidget::update));
}

void TRaceGridView::SetValueColumn(int column) {
  if (column == FValueColumn) return;
  FValueColumn = column;
  update();
}

QString TRaceGridView::TipAt(const QPoint& pos) const {
  if (!FRace) return {};
  return FRace->SheetRowTip(SheetGeometry::CellAt(pos.x(), pos.y(), FValueColumn).Row);
}

bool TRaceGridView::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const SheetGeometry::TCellHit hit = SheetGeometry::CellAt(help->pos().x(), help->pos().y(), FValueColumn);
  const QString tip = TipAt(help->pos());
  if (tip.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    // The whole row: moving to the next row asks again.
    const QRect row(0, ToQRect(SheetGeometry::CellRect(0, hit.Row, FValueColumn)).top(),
                    SheetGeometry::Width(), SheetGeometry::RowHeight);
    QToolTip::showText(help->globalPos(), tip, this, row);
  }
  return true;
}

void TRaceGridView::paintEvent(QPaintEvent*) {
  if (!FRace) return;
  const TRaceState& race = FRace->State();
  QPainter painter(this);
  const QPalette& pal = palette();
  const QColor gridColour = pal.color(QPalette::Base);
  painter.fillRect(rect(), gridColour);
  // Grid lines show through the gaps between cells.
  const QRect cells(0, 0, SheetGeometry::Width(), SheetGeometry::Height());
  painter.fillRect(cells, pal.color(QPalette::Mid));
  painter.setFont(font());
  for (int row = 0; row < TRaceSheet::RowCount; ++row) {
    for (int column = 0; column < TRaceSheet::ColumnCount; ++column) {
      const TCellRect r = SheetGeometry::CellRect(column, row, FValueColumn);
      if (r.IsEmpty()) continue;
      const QRect cell = ToQRect(r);
      const TCellLook look = RaceCellLook(race.Sheet, race.PositionLine, column, row);
      painter.fillRect(cell, look.Background ? ToQColor(*look.Background) : gridColour);
      if (look.Outline) {
        painter.setPen(QPen(ToQColor(OutlineColour), 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
      }
      QColor text = pal.color(QPalette::Text);
      if (look.TextColour == TCellTextColour::ButtonText)
        text = pal.color(QPalette::ButtonText);
      else if (look.TextColour == TCellTextColour::White)
        text = Qt::white;
      painter.setPen(text);
      int align = Qt::AlignVCenter | Qt::TextSingleLine;
      align |= look.Align == TCellAlign::Left     ? Qt::AlignLeft
               : look.Align == TCellAlign::Centre ? Qt::AlignHCenter
                                                  : Qt::AlignRight;
      painter.drawText(cell.adjusted(2, 2, -2, -2), align, look.Text);
    }
  }
}

void TRaceGridView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  const SheetGeometry::TCellHit hit = SheetGeometry::CellAt(p.x(), p.y(), FValueColumn);
  if (FRace) FRace->PressSheet(hit.Column, hit.Row);
}
