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
      FMessage(new QLabel(this)),
      FOkButton(new QPushButton(u"OK"_s, this)) {
  setObjectName(u"SorryDialog"_s);
  setWindowTitle(u"Sorry"_s);
  FMessage->setObjectName(u"Message"_s);
  FMessage->setFont(RavekFont(15));
  FMessage->move(0, 0);
  FOkButton->setObjectName(u"OkButton"_s);
  FOkButton->setGeometry(103, 84, 75, 25);
  FOkButton->setDefault(true);
  connect(FOkButton, &QPushButton::clicked, this, &QDialog::accept);

  SetText(SteeplechaseText());
  // The designed client area, made as wide as the message.
  // A few pixels spare: the label measures its text without the trailing space.
  setFixedSize(std::max(FMessage->width() + 6, FOkButton->geometry().right() + 8), 116);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TSorryDialog::SetText(const QString& text) {
  // The closing line break of a message holds no further line.
  FMessage->setText(text.endsWith(u'\n') ? text.chopped(1) : text);
  FMessage->adjustSize();
}

QString TSorryDialog::Text() const {
  return FMessage->text();
}
