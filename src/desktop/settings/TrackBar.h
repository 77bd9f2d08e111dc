#pragma once

#include <QSlider>

// A horizontal slider that also shows a highlighted range of its scale (the
// rows or lanes a band covers); Qt's slider has none.
class TTrackBar : public QSlider {
  Q_OBJECT

public:
  explicit TTrackBar(QWidget* parent = nullptr);

  // An empty range (end before start) shows nothing.
  void SetSelection(int start, int end);
  int SelStart() const { return FSelStart; }
  int SelEnd() const { return FSelEnd; }
  // The band of the range, in widget coordinates; empty when nothing is shown.
  QRect SelectionRect() const;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  int FSelStart = 0;
  int FSelEnd = -1;
};
