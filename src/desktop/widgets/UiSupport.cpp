#include "desktop/widgets/UiSupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QToolButton>

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

QToolButton* MakeToolButton(QWidget* parent, const QString& name, const QRect& geometry,
                            const QString& caption, const QString& hint, Qt::FocusPolicy focus) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setText(caption);
  button->setToolTip(hint);
  button->setFocusPolicy(focus);
  return button;
}

QString AskSavePath(QWidget* parent, const QString& title, const QString& suggested, const QString& filter) {
  QFileDialog dialog(parent, title, QFileInfo(suggested).absolutePath(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.selectFile(QFileInfo(suggested).fileName());
  dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
  dialog.setLabelText(QFileDialog::LookIn, u"保存する場所:"_s);
  dialog.setLabelText(QFileDialog::FileName, u"ファイル名:"_s);
  dialog.setLabelText(QFileDialog::FileType, u"ファイルの種類:"_s);
  dialog.setLabelText(QFileDialog::Accept, u"保存"_s);
  dialog.setLabelText(QFileDialog::Reject, u"キャンセル"_s);
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}
