#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class TDiagramEditor;
class TTrackDiagram;

// The track diagram (Image1) with the horses' markers over it. The picture is
// what TTrackDiagram decides for the shown corner; the markers stand where it
// puts them. Presses, drags and double clicks go to TDiagramEditor.
class TDiagramView : public QWidget {
  Q_OBJECT

public:
  TDiagramView(TTrackDiagram& diagram, TDiagramEditor& editor, const QFont& markerFont,
               QWidget* parent = nullptr);

  // Paints the picture again after a section was drawn.
  void RenderPicture();
  const QImage& Picture() const { return FPicture; }

  // Marker n's rectangle in the image; empty when n has no marker.
  QRect MarkerRect(int n) const;
  // The topmost shown marker under p other than except; 0 for none.
  int MarkerAt(QPoint p, int except = 0) const;
  // The horse whose marker is being dragged; 0 for none.
  int Dragged() const { return FDragging ? FPressed : 0; }
  // The horse whose marker is under the pointer; 0 for none.
  int Hovered() const { return FHover; }

  // The pointer entered marker n, or left every marker (0).
  std::function<void(int horse)> OnHighlight;
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

private:
  bool IsRail(QPoint p) const;
  bool DropAccepted(QPoint p) const;
  void ImageMouseDown(QMouseEvent* event);
  void EndDrag(std::optional<QPoint> drop);
  void SetHover(int horse);
  void ShowPointer(QPoint p);

  TTrackDiagram& FDiagram;
  TDiagramEditor& FEditor;
  QFont FMarkerFont;
  std::array<QSize, 18> FMarkerSizes;
  QImage FPicture;

  int FPressed = 0;
  QPoint FPressPos;
  bool FDragging = false;
  QPoint FDragPos;
  int FHover = 0;
};
