#pragma once

#include <QString>

// Receives the texts of long operations; the desktop program's progress panel
// and the command line implement it.
class TProgressObserver {
public:
  virtual ~TProgressObserver() = default;
  // Replaces the panel's text (shows the panel first if it is not shown).
  virtual void ShowProgress(const QString& text) = 0;
  // Closes the panel.
  virtual void CloseProgress() = 0;
};
