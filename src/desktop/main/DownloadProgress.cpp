#include "desktop/main/DownloadProgress.h"

#include "desktop/widgets/UiSupport.h"

#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

const QColor PanelColour(215, 228, 242);
const QColor BarColour(70, 120, 200);
constexpr int BarHeight = 8;

}  // namespace

TDownloadProgress::TDownloadProgress(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(u"DownloadProgress"_s);
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(343, 67);
  if (owner) {
    const QRect frame = owner->frameGeometry();
    move(frame.center() - rect().center());
  }
}

void TDownloadProgress::SetText(const QString& text) {
  FText = text;
  if (isVisible()) repaint();
}

void TDownloadProgress::SetDays(int done, int asked) {
  FDone = done;
  FAsked = asked;
  if (isVisible()) repaint();
}

void TDownloadProgress::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), PanelColour);
  // The sizing border.
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(rect().adjusted(1, 1, -2, -2));

  const bool bar = FAsked > 0;
  const QRect textArea = bar ? QRect(0, 0, width(), height() - BarHeight - 10) : rect();
  painter.setFont(RavekFont(13, true));
  painter.setPen(Qt::black);
  painter.drawText(textArea, Qt::AlignCenter, FText);
  if (!bar) return;

  const QRect track(16, height() - BarHeight - 10, width() - 32, BarHeight);
  painter.setPen(palette().color(QPalette::Mid));
  painter.setBrush(Qt::white);
  painter.drawRect(track.adjusted(0, 0, -1, -1));
  const int filled = track.width() * std::clamp(FDone, 0, FAsked) / FAsked;
  painter.fillRect(QRect(track.left() + 1, track.top() + 1, std::max(0, filled - 2), track.height() - 2),
                   BarColour);
}
