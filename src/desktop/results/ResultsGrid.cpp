#include "desktop/results/ResultsGrid.h"

#include "desktop/widgets/UiColour.h"
#include "desktop/widgets/UiSupport.h"
#include "text/Errors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int LabelWidth = TResultsLayout::LabelColumnWidth;
constexpr int VenueWidth = TResultsLayout::VenueColumnWidth;
constexpr int RowHeight = TResultsLayout::RowHeight;
constexpr int RowPitch = RowHeight + TResultsGrid::LineWidth;
constexpr int VenuePitch = VenueWidth + TResultsGrid::LineWidth;
constexpr int FirstVenueLeft = LabelWidth + TResultsGrid::LineWidth;
const QColor LineColour(192, 192, 192);
const QColor GreyTextColour(128, 128, 128);

int PixelSize(int pointSize) {
  // Points at 96 pixels per inch, as the fonts were designed for.
  return (pointSize * 96 + 36) / 72;
}

Qt::Alignment AlignOf(TTextAlign align) {
  switch (align) {
    case TTextAlign::Left:
      return Qt::AlignLeft;
    case TTextAlign::Centre:
      return Qt::AlignHCenter;
    case TTextAlign::Right:
      return Qt::AlignRight;
  }
  return Qt::AlignLeft;
}

}  // namespace

TResultsGrid::TResultsGrid(TResultsList& list, TResultsCells& cells, QWidget* parent)
    : QWidget(parent), FList(list), FCells(cells) {
  setObjectName(u"ResultsGrid"_s);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  for (int size = 0; size < 2; ++size) {
    for (int bold = 0; bold < 2; ++bold) {
      FFonts[size][bold] = RavekFont(PixelSize(size == 0 ? 7 : 9), bold == 1);
    }
  }
  Refit();
}

void TResultsGrid::Refit() {
  const int columns = FList.ColumnCount();
  FCurrent.setX(std::clamp(FCurrent.x(), 1, std::max(1, columns - 1)));
  setFixedSize(sizeHint());
  update();
}

void TResultsGrid::SetCurrentCell(int column, int row) {
  const QPoint cell(std::clamp(column, 1, std::max(1, FList.ColumnCount() - 1)),
                    std::clamp(row, 0, TResultsList::RowCount - 1));
  if (cell == FCurrent) return;
  update(CellRect(FCurrent.x(), FCurrent.y()));
  FCurrent = cell;
  update(CellRect(FCurrent.x(), FCurrent.y()));
}

QSize TResultsGrid::sizeHint() const {
  return QSize(FirstVenueLeft + (FList.ColumnCount() - 1) * VenuePitch, TResultsList::RowCount * RowPitch);
}

QRect TResultsGrid::CellRect(int column, int row) {
  const int top = row * RowPitch;
  if (column == 0) return QRect(0, top, LabelWidth, RowHeight);
  return QRect(FirstVenueLeft + (column - 1) * VenuePitch, top, VenueWidth, RowHeight);
}

QPoint TResultsGrid::CellAt(const QPoint& pos) const {
  if (pos.x() < 0 || pos.y() < 0 || pos.x() >= width() || pos.y() >= height()) return {-1, -1};
  const int row = std::min(pos.y() / RowPitch, TResultsList::RowCount - 1);
  if (pos.x() < FirstVenueLeft) return {0, row};
  const int column = std::min(1 + (pos.x() - FirstVenueLeft) / VenuePitch, FList.ColumnCount() - 1);
  return {column, row};
}

QString TResultsGrid::TipAt(const QPoint& pos, QRect* boxRect) const {
  const QPoint cell = CellAt(pos);
  if (cell.x() < 1) return {};
  const QRect rect = CellRect(cell.x(), cell.y());
  const TCellRect cellRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
  const int box = TResultsCells::FinisherBoxAt(cellRect, pos.x(), pos.y());
  if (box < 0) return {};
  if (boxRect) *boxRect = ToQRect(TResultsCells::RaceBox(cellRect, box));
  try {
    return FCells.FinisherTip(cell.x(), cell.y(), box - 4);
  } catch (const TRavekError&) {
    // An unreadable summary: the grid has said why when it painted.
    return {};
  }
}

bool TResultsGrid::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  QRect box;
  const QString tip = TipAt(help->pos(), &box);
  if (tip.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    // Moving to the next box asks again.
    QToolTip::showText(help->globalPos(), tip, this, box);
  }
  return true;
}

QColor TResultsGrid::ColourOf(const TPaintColour& colour) const {
  switch (colour.Role) {
    case TPaintColour::TRole::Rgb:
      return ToQColor(colour.Rgb);
    case TPaintColour::TRole::Grid:
      return palette().color(QPalette::Base);
    case TPaintColour::TRole::GreyText:
      // The desktop's disabled text is too faint to read a greyed-out race by.
      return GreyTextColour;
    case TPaintColour::TRole::ButtonText:
      return palette().color(QPalette::ButtonText);
    case TPaintColour::TRole::ButtonHighlight:
      return palette().color(QPalette::Light);
  }
  return Qt::black;
}

const QFont& TResultsGrid::FontFor(int pointSize, bool bold) const {
  return FFonts[pointSize <= 7 ? 0 : 1][bold ? 1 : 0];
}

void TResultsGrid::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), LineColour);
  const bool focused = hasFocus();
  QString error;
  for (int column = 0; column < FList.ColumnCount(); ++column) {
    for (int row = 0; row < TResultsList::RowCount; ++row) {
      const QRect rect = CellRect(column, row);
      if (!event->region().intersects(rect)) continue;
      const TCellRect cell{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
      const bool current = focused && column == FCurrent.x() && row == FCurrent.y();
      try {
        PaintCell(painter, FCells.DrawCell(column, row, cell, column == 0, current));
      } catch (const TRavekError& e) {
        // A summary field that is not a number: the cell stays blank rather than
        // every repaint ending in an error message.
        painter.fillRect(rect, ColourOf(TPaintColour::Theme(TPaintColour::TRole::Grid)));
        error = e.Message();
      }
    }
  }
  if (!error.isEmpty() && error != FLastPaintError) {
    FLastPaintError = error;
    emit PaintFailed(error);
  }
}

void TResultsGrid::PaintCell(QPainter& painter, const TCellPaint& paint) {
  painter.fillRect(ToQRect(paint.Cell), ColourOf(paint.Background));
  for (const TCellBox& box : paint.Boxes) {
    const QRect rect = ToQRect(box.Rect);
    if (box.Fill) painter.fillRect(rect, ColourOf(*box.Fill));
    if (box.Border) {
      painter.setPen(QPen(ToQColor(*box.Border), 0));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    if (box.Text.isEmpty()) continue;
    painter.setFont(FontFor(box.PointSize, box.Bold));
    painter.setPen(ColourOf(box.TextColour));
    painter.drawText(ToQRect(box.TextRect()), int(AlignOf(box.Align) | Qt::AlignVCenter) | Qt::TextSingleLine,
                     box.Text);
  }
  for (const TPolyline& line : paint.Lines) {
    // A flat cap leaves out each segment's end point, as a pen moved point to point does.
    painter.setPen(QPen(ColourOf(line.Colour), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawPolyline(line.Points.constData(), int(line.Points.size()));
  }
}

void TResultsGrid::mousePressEvent(QMouseEvent* event) {
  const QPoint cell = CellAt(event->position().toPoint());
  // The race-number column never becomes the current cell.
  if (event->button() == Qt::LeftButton && cell.x() >= 1) SetCurrentCell(cell.x(), cell.y());
  QWidget::mousePressEvent(event);
}

void TResultsGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint cell = CellAt(event->position().toPoint());
  if (event->button() != Qt::LeftButton || cell.x() < 1) return;
  SetCurrentCell(cell.x(), cell.y());
  emit CellActivated(FCurrent.x(), FCurrent.y());
}

void TResultsGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint cell = CellAt(event->position().toPoint());
  if (cell.x() >= 0) emit PointerOverCell(cell.x(), cell.y());
  QWidget::mouseMoveEvent(event);
}

void TResultsGrid::leaveEvent(QEvent* event) {
  emit PointerLeft();
  QWidget::leaveEvent(event);
}

void TResultsGrid::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      SetCurrentCell(FCurrent.x() - 1, FCurrent.y());
      break;
    case Qt::Key_Right:
      SetCurrentCell(FCurrent.x() + 1, FCurrent.y());
      break;
    case Qt::Key_Up:
      SetCurrentCell(FCurrent.x(), FCurrent.y() - 1);
      break;
    case Qt::Key_Down:
      SetCurrentCell(FCurrent.x(), FCurrent.y() + 1);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit CellActivated(FCurrent.x(), FCurrent.y());
      break;
    default:
      // PageUp and PageDown are the window's.
      QWidget::keyPressEvent(event);
  }
}

void TResultsGrid::focusInEvent(QFocusEvent* event) {
  update(CellRect(FCurrent.x(), FCurrent.y()));
  QWidget::focusInEvent(event);
}

void TResultsGrid::focusOutEvent(QFocusEvent* event) {
  update(CellRect(FCurrent.x(), FCurrent.y()));
  QWidget::focusOutEvent(event);
}
