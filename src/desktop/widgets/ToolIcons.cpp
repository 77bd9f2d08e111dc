#include "desktop/widgets/ToolIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

// Draws into a 16 x 16 design square, scaled to whatever the icon is asked for.
using TDraw = std::function<void(QPainter&, bool enabled)>;

class TPaintedIcon : public QIconEngine {
public:
  explicit TPaintedIcon(TDraw draw) : FDraw(std::move(draw)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(rect.width(), rect.height());
    painter->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
    painter->scale(side / 16.0, side / 16.0);
    FDraw(*painter, mode != QIcon::Disabled);
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }

  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    QPixmap pixmap(size * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
  }

  QIconEngine* clone() const override { return new TPaintedIcon(FDraw); }

private:
  TDraw FDraw;
};

QColor Tint(const QColor& colour, bool enabled) {
  if (enabled) return colour;
  const int grey = qGray(colour.rgb());
  return QColor(grey, grey, grey, 140);
}

void DrawQuit(QPainter& p, bool enabled) {
  // An open door with an arrow leaving through it.
  p.setPen(QPen(Tint(QColor(80, 60, 40), enabled), 1.0));
  p.setBrush(Tint(QColor(190, 140, 80), enabled));
  p.drawRect(QRectF(2.5, 1.5, 7, 13));
  p.setBrush(Tint(QColor(120, 80, 40), enabled));
  QPolygonF leaf{{2.5, 1.5}, {6.5, 3.0}, {6.5, 15.5}, {2.5, 14.5}};
  p.drawPolygon(leaf);
  p.setPen(QPen(Tint(QColor(200, 20, 20), enabled), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(QPointF(8.5, 8), QPointF(14.5, 8));
  p.drawPolyline(QPolygonF{{12, 5.5}, {14.5, 8}, {12, 10.5}});
}

void DrawResults(QPainter& p, bool enabled) {
  // A results sheet: a grid of venues by races.
  p.setPen(QPen(Tint(QColor(40, 60, 110), enabled), 1.0));
  p.setBrush(Tint(QColor(250, 250, 240), enabled));
  p.drawRect(QRectF(1.5, 2.5, 13, 11));
  p.fillRect(QRectF(2, 3, 12, 2.5), Tint(QColor(70, 110, 190), enabled));
  for (qreal x : {5.5, 9.5}) p.drawLine(QPointF(x, 5.5), QPointF(x, 13.5));
  for (qreal y : {8.0, 10.75}) p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
  p.fillRect(QRectF(6, 8.5, 3, 2), Tint(QColor(255, 159, 159), enabled));
  p.fillRect(QRectF(10, 6, 4, 1.8), Tint(QColor(255, 255, 159), enabled));
}

void DrawDownload(QPainter& p, bool enabled) {
  // An arrow down into a tray.
  p.setPen(QPen(Tint(QColor(40, 80, 40), enabled), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Tint(QColor(60, 170, 70), enabled));
  p.drawPolygon(QPolygonF{{6, 1.5}, {10, 1.5}, {10, 6.5}, {13, 6.5}, {8, 11.5}, {3, 6.5}, {6, 6.5}});
  p.setPen(QPen(Tint(QColor(60, 60, 60), enabled), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(QPolygonF{{1.5, 10.5}, {1.5, 14.5}, {14.5, 14.5}, {14.5, 10.5}});
}

void DrawEmblem(QPainter& p, const QRectF& r) {
  // A turf oval with its rail and three runners on the far side.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 130, 60));
  p.drawRoundedRect(r, r.height() * 0.5, r.height() * 0.5);
  const QRectF infield =
      r.adjusted(r.width() * 0.16, r.height() * 0.24, -r.width() * 0.16, -r.height() * 0.24);
  p.setBrush(QColor(150, 210, 120));
  p.drawRoundedRect(infield, infield.height() * 0.5, infield.height() * 0.5);
  p.setPen(QPen(Qt::white, std::max<qreal>(0.6, r.height() * 0.03)));
  p.setBrush(Qt::NoBrush);
  const QRectF rail = r.adjusted(r.width() * 0.08, r.height() * 0.12, -r.width() * 0.08, -r.height() * 0.12);
  p.drawRoundedRect(rail, rail.height() * 0.5, rail.height() * 0.5);
  const QColor runners[] = {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 90, 255)};
  const qreal d = r.height() * 0.14;
  for (int i = 0; i < 3; ++i) {
    p.setPen(QPen(Qt::black, d * 0.15));
    p.setBrush(runners[i]);
    p.drawEllipse(QPointF(r.left() + r.width() * (0.38 + 0.12 * i), r.top() + r.height() * (0.1 + 0.04 * i)) +
                      QPointF(0, d * 0.3),
                  d / 2, d / 2);
  }
}

}  // namespace

QIcon QuitIcon() {
  return QIcon(new TPaintedIcon(DrawQuit));
}

QIcon ResultsIcon() {
  return QIcon(new TPaintedIcon(DrawResults));
}

QIcon DownloadIcon() {
  return QIcon(new TPaintedIcon(DrawDownload));
}

QIcon ProgramIcon() {
  return QIcon(new TPaintedIcon([](QPainter& p, bool) { DrawEmblem(p, QRectF(0.5, 3.5, 15, 9)); }));
}

void PaintProgramEmblem(QPainter& painter, const QRectF& rect) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  DrawEmblem(painter, rect);
  painter.restore();
}
