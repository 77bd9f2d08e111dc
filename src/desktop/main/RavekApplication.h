#pragma once

#include <QApplication>

// The desktop program's application object. An error thrown by any event
// handler (a conversion error, a file error or anything else) ends that
// command only: its message is shown and the event loop goes on.
class TRavekApplication : public QApplication {
  Q_OBJECT

public:
  TRavekApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the general error message for a command that failed.
  static void ShowError(const QString& message);
};
