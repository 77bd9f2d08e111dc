#include "desktop/widgets/UiSupport.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QScreen>
#include <QSettings>
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

QRect FittedFrame(const QRect& frame, const QRect& available) {
  QRect fitted(frame.topLeft(), frame.size().boundedTo(available.size()));
  if (fitted.right() > available.right()) fitted.moveRight(available.right());
  if (fitted.bottom() > available.bottom()) fitted.moveBottom(available.bottom());
  if (fitted.left() < available.left()) fitted.moveLeft(available.left());
  if (fitted.top() < available.top()) fitted.moveTop(available.top());
  return fitted;
}

void FitOnScreen(QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QScreen* screen = QGuiApplication::screenAt(frame.center());
  if (!screen) screen = window->screen();
  if (!screen) return;
  const QRect fitted = FittedFrame(frame, screen->availableGeometry());
  if (fitted.size() != frame.size()) window->resize(window->size() - (frame.size() - fitted.size()));
  if (fitted.topLeft() != frame.topLeft()) window->move(fitted.topLeft());
}

namespace {

// Writes the window's geometry to the state file whenever it is hidden.
class TGeometryKeeper : public QObject {
public:
  TGeometryKeeper(QWidget* window, QSettings& state, QString key)
      : QObject(window), FState(state), FKey(std::move(key)) {}

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide)
      FState.setValue(FKey, static_cast<QWidget*>(watched)->saveGeometry());
    else if (event->type() == QEvent::Show)
      FitOnScreen(static_cast<QWidget*>(watched));
    return false;
  }

private:
  QSettings& FState;
  QString FKey;
};

}  // namespace

void KeepGeometry(QWidget* window, QSettings& state, const QString& key) {
  window->restoreGeometry(state.value(key).toByteArray());
  window->installEventFilter(new TGeometryKeeper(window, state, key));
}
