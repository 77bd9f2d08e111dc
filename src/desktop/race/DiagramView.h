#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class TDiagramEditor;
class TOpenRace;
class TTrackDiagram;

// The track diagram with the horses' markers over it. The picture is what the
// race's TTrackDiagram decides for the shown corner; the markers stand where it
// puts them. Presses, drags, double clicks and keys go to the race as its
// commands: a horse's number typed or Tab selects it, the arrow keys move it a
// row forward or back and a lane in or out, Enter sets the margin in front of it.
class TDiagramView : public QWidget {
  Q_OBJECT

public:
  TDiagramView(TOpenRace& race, const QFont& markerFont, QWidget* parent = nullptr);

  // Paints the picture again after a section was drawn.
  void RenderPicture();
  const QImage& Picture() const { return FPicture; }

  // Marker n's rectangle in the image; empty when n has no marker.
  QRect MarkerRect(int n) const;
  // The topmost shown marker under p other than except; 0 for none.
  int MarkerAt(QPoint p, int except = 0) const;

  // The tooltip at a point: the figures of the horse whose marker is there;
  // empty elsewhere.
  QString TipAt(QPoint p) const;

  // Shows the margin dialog with the gap; the confirmed value, or nothing.
  std::function<std::optional<int>(int gap)> OnAskMargin;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

private:
  const TTrackDiagram& Diagram() const;
  const TDiagramEditor& Editor() const;
  bool IsRail(QPoint p) const;
  bool DropAccepted(QPoint p) const;
  void ImageMouseDown(QMouseEvent* event);
  void EndDrag(std::optional<QPoint> drop);
  void SetHover(int horse);
  void ShowPointer(QPoint p);

  QPointer<TOpenRace> FRace;
  QFont FMarkerFont;
  std::array<QSize, 18> FMarkerSizes;
  QImage FPicture;

  int FPressed = 0;
  QPoint FPressPos;
  bool FDragging = false;
  QPoint FDragPos;
  int FHover = 0;
  static constexpr int TypingPauseMs = 1000;
  int FTyped = 0;  // the number typed so far
  QElapsedTimer FTypedAt;
};
