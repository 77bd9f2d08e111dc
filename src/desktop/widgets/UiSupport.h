#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// "ＭＳ Ｐゴシック" is drawn with IPAPGothic here. Every program with windows
// (the desktop program, its tests and screenshot programs) calls this before
// it creates a window; the application font becomes that face at 12 pixels.
void SetUpRavekFonts();

// The font the windows are designed for, at the given pixel size.
QFont RavekFont(int pixelSize, bool bold = false);

// Every message box of the desktop program goes through here, so that a test
// can answer it. The hook returns the button the user chose.
using TMessageHook = std::function<QMessageBox::StandardButton(QMessageBox::Icon icon, const QString& text,
                                                               QMessageBox::StandardButtons buttons)>;
// Replaces the hook; an empty hook restores the real message boxes.
void SetMessageHook(TMessageHook hook);

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// A save dialog with its texts in Japanese, opened on `suggested` (folder and
// file name). The chosen path, or an empty one when the user cancels.
QString AskSavePath(QWidget* parent, const QString& title, const QString& suggested, const QString& filter);
