#include "desktop/main/SorryDialog.h"

#include "desktop/widgets/UiSupport.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

QString TSorryDialog::SteeplechaseText() {
  return u"\n 申し訳ありません \n 当プログラムは障害戦に対応していません \n ほかのレースを選びなおしてください \n"_s;
}

TSorryDialog::TSorryDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      Label1(new QLabel(this)),
      OKBtn(new QPushButton(u"OK"_s, this)) {
  setObjectName(u"OKBottomDlg"_s);
  setWindowTitle(u"Sorry"_s);
  Label1->setObjectName(u"Label1"_s);
  Label1->setFont(RavekFont(15));
  Label1->move(0, 0);
  OKBtn->setObjectName(u"OKBtn"_s);
  OKBtn->setGeometry(103, 84, 75, 25);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

  SetText(SteeplechaseText());
  // The designed client area, made as wide as the message.
  // A few pixels spare: the label measures its text without the trailing space.
  setFixedSize(std::max(Label1->width() + 6, OKBtn->geometry().right() + 8), 116);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TSorryDialog::SetText(const QString& text) {
  // The closing line break of a message holds no further line.
  Label1->setText(text.endsWith(u'\n') ? text.chopped(1) : text);
  Label1->adjustSize();
}

QString TSorryDialog::Text() const {
  return Label1->text();
}
