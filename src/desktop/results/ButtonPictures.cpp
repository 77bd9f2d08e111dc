#include "desktop/results/ButtonPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

constexpr int Side = 18;

// Draws one picture on an 18 x 18 canvas at ratios 1, 2 and 3.
QIcon Picture(const std::function<void(QPainter&)>& draw) {
  QIcon icon;
  for (const int ratio : {1, 2, 3}) {
    QPixmap pixmap(Side * ratio, Side * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

// A triangle pointing left (direction -1) or right (1).
void DayArrow(QPainter& painter, int direction) {
  const qreal mid = Side / 2.0;
  QPainterPath head;
  head.moveTo(mid + direction * 5.5, mid);
  head.lineTo(mid - direction * 4.5, mid - 6.5);
  head.lineTo(mid - direction * 4.5, mid + 6.5);
  head.closeSubpath();
  painter.fillPath(head, QColor(24, 72, 160));
}

}  // namespace

QIcon ClosePicture() {
  return Picture([](QPainter& painter) {
    painter.setPen(QPen(QColor(176, 32, 32), 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4.5, 4.5), QPointF(13.5, 13.5));
    painter.drawLine(QPointF(13.5, 4.5), QPointF(4.5, 13.5));
  });
}

QIcon PreviousDayPicture() {
  return Picture([](QPainter& painter) { DayArrow(painter, -1); });
}

QIcon NextDayPicture() {
  return Picture([](QPainter& painter) { DayArrow(painter, 1); });
}
