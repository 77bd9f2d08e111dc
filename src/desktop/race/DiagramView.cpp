#include "desktop/race/DiagramView.h"

#include "desktop/widgets/UiColour.h"
#include "race/OpenRace.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

Qt::CursorShape CursorOf(TDiagramPointer pointer) {
  switch (pointer) {
    case TDiagramPointer::Hand:
      return Qt::PointingHandCursor;
    case TDiagramPointer::NotAllowed:
      return Qt::ForbiddenCursor;
    default:
      return Qt::ArrowCursor;
  }
}

QString CaptionOf(int n) {
  return QString(TTrackDiagram::MarkerCaption(n));
}

}  // namespace

TDiagramView::TDiagramView(TOpenRace& race, const QFont& markerFont, QWidget* parent)
    : QWidget(parent), FRace(&race), FMarkerFont(markerFont) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  // A marker is as large as its caption, fixed at creation.
  const QFontMetrics metrics(FMarkerFont);
  for (int n = 1; n <= TTrackDiagram::MaxHorses; ++n)
    FMarkerSizes[n - 1] = QSize(metrics.horizontalAdvance(CaptionOf(n)), metrics.height());
  connect(&race, &TOpenRace::SectionShown, this, &TDiagramView::RenderPicture);
  connect(&race, &TOpenRace::DiagramChanged, this, qOverload<>(&QWidget::update));
}

const TTrackDiagram& TDiagramView::Diagram() const {
  return FRace->Diagram();
}

const TDiagramEditor& TDiagramView::Editor() const {
  return FRace->Editor();
}

void TDiagramView::RenderPicture() {
  if (!FRace) return;
  FPicture = QImage(Diagram().Width(), Diagram().Height(), QImage::Format_RGB32);
  FPicture.fill(ToQColor(Diagram().Background));
  if (Diagram().HasInfield) {
    QPainter painter(&FPicture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ToQColor(TTrackDiagram::RailColour), TTrackDiagram::RailWidth));
    painter.setBrush(ToQColor(TTrackDiagram::InfieldColour));
    const int r = TTrackDiagram::InfieldRadius;
    painter.drawEllipse(QPoint(Diagram().ArcCentre.X, Diagram().ArcCentre.Y), r, r);
  }
  update();
}

QRect TDiagramView::MarkerRect(int n) const {
  if (!FRace || n < 1 || n > TTrackDiagram::MaxHorses) return {};
  const TDiagramMarker& marker = Diagram().Markers[n - 1];
  return QRect(QPoint(marker.TopLeft.X, marker.TopLeft.Y), FMarkerSizes[n - 1]);
}

int TDiagramView::MarkerAt(QPoint p, int except) const {
  if (!FRace) return 0;
  // Later markers lie on top of earlier ones.
  for (int n = std::min(Diagram().N, TTrackDiagram::MaxHorses); n >= 1; --n)
    if (n != except && Diagram().Markers[n - 1].Visible && MarkerRect(n).contains(p)) return n;
  return 0;
}

bool TDiagramView::IsRail(QPoint p) const {
  return FPicture.valid(p) && (FPicture.pixel(p) & 0xffffff) == 0xffffff;
}

bool TDiagramView::DropAccepted(QPoint p) const {
  // Only the track takes a drop: never the infield, another marker or outside the image.
  return rect().contains(p) && MarkerAt(p, FPressed) == 0 && Editor().AcceptsDrop(p.x(), p.y());
}

void TDiagramView::paintEvent(QPaintEvent*) {
  if (!FRace) return;
  QPainter painter(this);
  painter.drawImage(0, 0, FPicture);
  painter.setFont(FMarkerFont);
  for (int n = 1; n <= std::min(Diagram().N, TTrackDiagram::MaxHorses); ++n) {
    const TDiagramMarker& marker = Diagram().Markers[n - 1];
    if (!marker.Visible) continue;
    painter.setPen(ToQColor(marker.Colour));
    painter.drawText(MarkerRect(n), Qt::AlignLeft | Qt::AlignTop, CaptionOf(n));
  }
  if (const int n = FRace->Selected(); n > 0 && Diagram().Markers[n - 1].Visible) {
    // The keyboard's horse.
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(MarkerRect(n).adjusted(-2, -1, 1, 0));
  }
  if (FDragging) {
    // Where the marker would land.
    painter.setOpacity(0.6);
    painter.setPen(ToQColor(Diagram().Markers[FPressed - 1].Colour));
    const QSize size = FMarkerSizes[FPressed - 1];
    painter.drawText(QRect(FDragPos - QPoint(size.width() / 2, size.height() / 2), size),
                     Qt::AlignLeft | Qt::AlignTop, CaptionOf(FPressed));
  }
}

void TDiagramView::mousePressEvent(QMouseEvent* event) {
  if (!FRace) return;
  const QPoint p = event->position().toPoint();
  if (const int n = MarkerAt(p)) {
    if (event->button() == Qt::LeftButton) FRace->Select(n);
    if (Editor().MarkerPressed(n, event->button() == Qt::LeftButton)) {
      FPressed = n;
      FPressPos = p;
      FDragging = false;
      setFocus(Qt::MouseFocusReason);
    }
    return;
  }
  ImageMouseDown(event);
}

void TDiagramView::ImageMouseDown(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  const bool left = event->button() == Qt::LeftButton;
  FRace->PressImage(left, p.x(), p.y(), IsRail(p), [this](int gap) -> std::optional<int> {
    if (!OnAskMargin) return std::nullopt;
    return OnAskMargin(gap);
  });
  update();
}

void TDiagramView::mouseMoveEvent(QMouseEvent* event) {
  if (!FRace) return;
  const QPoint p = event->position().toPoint();
  if (FPressed && (event->buttons() & Qt::LeftButton)) {
    if (!FDragging && TDiagramEditor::DragStarts({FPressPos.x(), FPressPos.y()}, {p.x(), p.y()})) {
      FDragging = true;
      SetHover(0);
    }
    if (FDragging) {
      FDragPos = p;
      setCursor(DropAccepted(p) ? Qt::PointingHandCursor : Qt::ForbiddenCursor);
      update();
    }
    return;
  }
  ShowPointer(p);
}

void TDiagramView::ShowPointer(QPoint p) {
  const int n = MarkerAt(p);
  SetHover(n);
  if (n)
    setCursor(Qt::PointingHandCursor);
  else
    setCursor(CursorOf(Editor().PointerAt(p.x(), p.y(), IsRail(p))));
}

void TDiagramView::mouseReleaseEvent(QMouseEvent* event) {
  if (!FRace) return;
  if (event->button() != Qt::LeftButton || !FPressed) return;
  if (FDragging)
    EndDrag(event->position().toPoint());
  else
    FPressed = 0;
}

void TDiagramView::EndDrag(std::optional<QPoint> drop) {
  if (!FRace) return;
  const int n = FPressed;
  const QPoint last = drop.value_or(FDragPos);
  FPressed = 0;
  FDragging = false;
  std::optional<TDiagramPoint> at;
  if (drop) at = TDiagramPoint{drop->x(), drop->y()};
  FRace->DropMarker(n, at, drop ? MarkerAt(*drop, n) : 0);
  ShowPointer(last);
  update();
}

void TDiagramView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!FRace) return;
  const QPoint p = event->position().toPoint();
  if (const int n = MarkerAt(p)) {
    if (event->button() == Qt::LeftButton) {
      FPressed = 0;
      FDragging = false;
      FRace->MoveOut(n);
      update();
    }
    return;
  }
  // A second press on the image counts as a press of its own.
  ImageMouseDown(event);
}

void TDiagramView::leaveEvent(QEvent*) {
  if (!FDragging) SetHover(0);
}

QString TDiagramView::TipAt(QPoint p) const {
  const int n = MarkerAt(p);
  return n ? FRace->HorseTip(n) : QString();
}

bool TDiagramView::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && FRace) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = FDragging ? QString() : TipAt(help->pos());
    if (tip.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), tip, this, MarkerRect(MarkerAt(help->pos())));
    }
    return true;
  }
  // Tab steps through the horses here, not to the next control.
  if (event->type() == QEvent::KeyPress && FRace && !FDragging) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
      FRace->SelectNext(key == Qt::Key_Backtab);
      return true;
    }
  }
  return QWidget::event(event);
}

void TDiagramView::keyPressEvent(QKeyEvent* event) {
  if (FDragging) {
    if (event->key() == Qt::Key_Escape) EndDrag(std::nullopt);
    return;
  }
  if (!FRace) return;
  const int key = event->key();
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    // Two digits typed quickly make one number: "1" "2" is horse 12.
    const int digit = key - Qt::Key_0;
    const int joined = FTyped * 10 + digit;
    const bool goOn = FTyped > 0 && FTypedAt.isValid() && FTypedAt.elapsed() < TypingPauseMs &&
                      joined <= std::min(Diagram().N, TTrackDiagram::MaxHorses);
    FTyped = goOn ? joined : digit;
    FTypedAt.start();
    FRace->Select(FTyped);
    return;
  }
  switch (key) {
    case Qt::Key_Up:
      FRace->MoveSelected(-1, 0);
      return;
    case Qt::Key_Down:
      FRace->MoveSelected(1, 0);
      return;
    case Qt::Key_Left:
      FRace->MoveSelected(0, -1);
      return;
    case Qt::Key_Right:
      FRace->MoveSelected(0, 1);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      FRace->SetMarginOfSelected([this](int gap) -> std::optional<int> {
        if (!OnAskMargin) return std::nullopt;
        return OnAskMargin(gap);
      });
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void TDiagramView::SetHover(int horse) {
  if (horse == FHover) return;
  FHover = horse;
  if (FRace) FRace->HighlightHorse(horse);
}
