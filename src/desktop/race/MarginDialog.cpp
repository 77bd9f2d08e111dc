#include "desktop/race/MarginDialog.h"
#include "desktop/widgets/UiSupport.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

TMarginDialog::TMarginDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(u"MarginDialog"_s);
  setWindowTitle(u"何馬身差？"_s);
  setFont(RavekFont(12));
  // The buttons reach one pixel below the 43 of the client area; the edge takes one more.
  setFixedSize(116, 45);

  FPanel = new QLabel(this);
  FPanel->setObjectName(u"ValuePanel"_s);
  FPanel->setGeometry(3, 0, 78, 20);
  FPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  FPanel->setAlignment(Qt::AlignCenter);
  FPanel->setAutoFillBackground(true);
  QPalette highlight = FPanel->palette();
  highlight.setColor(QPalette::Window, highlight.color(QPalette::Highlight));
  highlight.setColor(QPalette::WindowText, highlight.color(QPalette::HighlightedText));
  FPanel->setPalette(highlight);

  // The up-down control, its arrows pointing left and right.
  FLeft = new QToolButton(this);
  FLeft->setObjectName(u"LeftArrow"_s);
  FLeft->setArrowType(Qt::LeftArrow);
  FLeft->setGeometry(81, 0, 16, 20);
  FLeft->setFocusPolicy(Qt::NoFocus);
  FRight = new QToolButton(this);
  FRight->setObjectName(u"RightArrow"_s);
  FRight->setArrowType(Qt::RightArrow);
  FRight->setGeometry(97, 0, 16, 20);
  FRight->setFocusPolicy(Qt::NoFocus);
  connect(FLeft, &QToolButton::clicked, this, [this] { Step(false); });
  connect(FRight, &QToolButton::clicked, this, [this] { Step(true); });

  FOk = new QPushButton(u"OK"_s, this);
  FOk->setGeometry(3, 24, 55, 20);
  FOk->setDefault(true);
  auto* cancel = new QPushButton(u"キャンセル"_s, this);
  cancel->setGeometry(58, 24, 55, 20);
  // "キャンセル" in 12 pixels is wider than its 55-pixel button.
  cancel->setFont(RavekFont(11));
  connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  ShowValue();
}

void TMarginDialog::SetValue(int value) {
  FModel.SetValue(value);
  ShowValue();
}

QString TMarginDialog::PanelText() const {
  return FPanel->text();
}

void TMarginDialog::Step(bool up) {
  FModel.Step(up);
  ShowValue();
}

void TMarginDialog::ShowValue() {
  FPanel->setText(FModel.PanelText());
}

void TMarginDialog::ShowCentred() {
  if (const QScreen* shown = screen()) move(shown->availableGeometry().center() - rect().center());
  FOk->setFocus();
  ShowValue();
}

void TMarginDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The wheel is taken only while the dialog shows: the rest of the program
  // scrolls as usual otherwise.
  if (!FHooked) {
    qApp->installEventFilter(this);
    FHooked = true;
  }
  ShowCentred();
}

void TMarginDialog::hideEvent(QHideEvent* event) {
  if (FHooked) {
    qApp->removeEventFilter(this);
    FHooked = false;
  }
  QDialog::hideEvent(event);
}

void TMarginDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // Without a title bar the edge is the only sign of the window.
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool TMarginDialog::eventFilter(QObject* watched, QEvent* event) {
  if (TakeWheel(event)) return true;
  return QDialog::eventFilter(watched, event);
}

bool TMarginDialog::TakeWheel(QEvent* event) {
  if (event->type() != QEvent::Wheel) return false;
  auto* wheel = static_cast<QWheelEvent*>(event);
  const QPoint angle = wheel->angleDelta();
  const int delta = angle.y() != 0 ? angle.y() : angle.x();
  // A touchpad's start and end of a scroll carry no turn.
  if (delta != 0) {
    FModel.Wheel(delta);
    ShowValue();
  }
  // Accepted, so the event is not offered to the parents of its receiver again.
  wheel->accept();
  return true;
}
