#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QSettings;
class QToolButton;
class QWidget;

// "ＭＳ Ｐゴシック" is drawn with IPAPGothic here. Every program with windows
// (the desktop program, its tests and screenshot programs) calls this before
// it creates a window; the application font becomes that face at 12 pixels.
void SetUpRavekFonts();

// The font the windows are designed for, at the given pixel size.
QFont RavekFont(int pixelSize, bool bold = false);

// The plain message boxes (a text and standard buttons) go through here, so
// that a test can answer them. The hook returns the button the user chose.
using TMessageHook = std::function<QMessageBox::StandardButton(QMessageBox::Icon icon, const QString& text,
                                                               QMessageBox::StandardButtons buttons)>;
// Replaces the hook; an empty hook restores the real message boxes.
void SetMessageHook(TMessageHook hook);

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// A tool button at a fixed place on a window's button bar. Most keep no focus:
// the grid or diagram beside them keeps the keyboard.
QToolButton* MakeToolButton(QWidget* parent, const QString& name, const QRect& geometry,
                            const QString& caption = {}, const QString& hint = {},
                            Qt::FocusPolicy focus = Qt::NoFocus);

// A save dialog with its texts in Japanese, opened on `suggested` (folder and
// file name). The chosen path, or an empty one when the user cancels.
QString AskSavePath(QWidget* parent, const QString& title, const QString& suggested, const QString& filter);

// The frame moved (and, when larger, shrunk) to lie wholly inside `available`.
QRect FittedFrame(const QRect& frame, const QRect& available);
// Moves a top-level window wholly onto the available area of the screen it is most on.
void FitOnScreen(QWidget* window);
// A tool window stands where it stood when last hidden (kept under `key` in
// the state file), or where it was placed, and always wholly on a screen.
void KeepGeometry(QWidget* window, QSettings& state, const QString& key);
