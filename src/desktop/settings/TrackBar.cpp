#include "desktop/settings/TrackBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

TTrackBar::TTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setPageStep(1);
}

void TTrackBar::SetSelection(int start, int end) {
  if (start == FSelStart && end == FSelEnd) return;
  FSelStart = start;
  FSelEnd = end;
  update();
}

QRect TTrackBar::SelectionRect() const {
  if (FSelEnd < FSelStart || FSelEnd < minimum() || FSelStart > maximum()) return {};
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  const int span = groove.width() - handle.width();
  const auto centre = [&](int value) {
    return groove.x() + handle.width() / 2 +
           QStyle::sliderPositionFromValue(minimum(), maximum(), std::clamp(value, minimum(), maximum()),
                                           span);
  };
  const int left = centre(FSelStart) - 3;
  const int right = centre(FSelEnd) + 3;
  return QRect(left, groove.center().y() - 3, right - left + 1, 7);
}

void TTrackBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionSlider option;
  initStyleOption(&option);
  option.subControls = QStyle::SC_SliderGroove;
  if (tickPosition() != NoTicks) option.subControls |= QStyle::SC_SliderTickmarks;
  style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);

  const QRect band = SelectionRect();
  if (!band.isEmpty()) {
    const QColor fill =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Highlight);
    painter.fillRect(band, fill);
    // Marks at both ends of the range, above the groove, as on the scale.
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(band.left(), band.top() - 4, band.left(), band.top() - 1);
    painter.drawLine(band.right(), band.top() - 4, band.right(), band.top() - 1);
  }

  option.subControls = QStyle::SC_SliderHandle;
  style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
}
