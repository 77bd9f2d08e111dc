#include "desktop/main/VersionDialog.h"

#include "desktop/widgets/ToolIcons.h"
#include "desktop/widgets/UiSupport.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

class TEmblem : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    PaintProgramEmblem(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
  }
};

}  // namespace

TVersionDialog::TVersionDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(u"VersionDialog"_s);
  setWindowTitle(u"バージョン情報"_s);
  setFixedSize(298, 213);

  auto* panel = new QFrame(this);
  panel->setObjectName(u"Panel"_s);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(8, 8, 281, 161);

  auto* picture = new TEmblem(panel);
  picture->setObjectName(u"ProgramIcon"_s);
  picture->setGeometry(16, 24, 121, 65);

  auto* product = new QLabel(u"Ravekon"_s, panel);
  product->setObjectName(u"ProductName"_s);
  product->setFont(RavekFont(16, true));
  product->setGeometry(152, 28, 120, 22);

  auto* version = new QLabel(u"Ver1.23"_s, panel);
  version->setObjectName(u"Version"_s);
  version->setGeometry(152, 60, 120, 18);

  auto* credit = new QLabel(u"競走の展開と補正タイムの分析\nCopyright © RAVEK の開発者"_s, panel);
  credit->setObjectName(u"Copyright"_s);
  credit->setGeometry(16, 104, 250, 40);

  auto* ok = new QPushButton(u"OK"_s, this);
  ok->setObjectName(u"OKButton"_s);
  ok->setGeometry(111, 180, 75, 25);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}
