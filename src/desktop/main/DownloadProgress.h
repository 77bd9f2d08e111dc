#pragma once

#include <QString>
#include <QWidget>

// The progress panel of the download and the program close: one line of text
// and, during a download, a bar of the days done out of the days asked.
// Created on demand, centred on its owner, deleted when closed.
class TDownloadProgress : public QWidget {
  Q_OBJECT

public:
  explicit TDownloadProgress(QWidget* owner);

  // Replaces the text and repaints at once.
  void SetText(const QString& text);
  const QString& Text() const { return FText; }
  // asked 0 hides the bar.
  void SetDays(int done, int asked);
  int DaysDone() const { return FDone; }
  int DaysAsked() const { return FAsked; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QString FText;
  int FDone = 0;
  int FAsked = 0;
};
