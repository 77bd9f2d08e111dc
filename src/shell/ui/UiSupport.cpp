#include "shell/ui/UiSupport.h"

#include <QApplication>
#include <QFont>

using namespace Qt::StringLiterals;

namespace {

TMessageHook& Hook() {
  static TMessageHook hook;
  return hook;
}

}  // namespace

void SetUpRavekFonts() {
  QFont::insertSubstitution(u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s);
  QApplication::setFont(RavekFont(12));
}

QFont RavekFont(int pixelSize, bool bold) {
  QFont font(u"ＭＳ Ｐゴシック"_s);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

void SetMessageHook(TMessageHook hook) {
  Hook() = std::move(hook);
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
  if (Hook()) return Hook()(icon, text, buttons);
  QMessageBox box(icon, QApplication::applicationName(), text, buttons, parent);
  if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
  return QMessageBox::StandardButton(box.exec());
}
