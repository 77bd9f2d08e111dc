#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QMdiArea;
class QMdiSubWindow;
class QMenu;

// A window inside the main window's area (the results list, a race). The main
// window merges its menus and shows its texts through this type alone.
class TChildWindow : public QWidget {
  Q_OBJECT

public:
  explicit TChildWindow(QWidget* parent = nullptr) : QWidget(parent) {}

  // The menus the main window puts between its own while this child is active.
  virtual QList<QMenu*> Menus() const { return {}; }
  // Sizes the sub-window around this child once it is in its frame.
  virtual void FitFrame();

signals:
  void StatusText(int panel, const QString& text);
  void SorryRequested(const QString& text);
  // The child offers the settings dialog (the main window owns it).
  void SettingsRequested();
};

// Shows child as a sub-window of area at the top left of its client area, with
// the close box only; the sub-window (and with it the child) is deleted when it
// closes.
QMdiSubWindow* ShowChildWindow(QMdiArea* area, TChildWindow* child);
