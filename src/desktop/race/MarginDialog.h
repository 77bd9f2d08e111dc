#pragma once

#include "race/MarginModel.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QToolButton;

// The margin dialog: how many lengths lie between two groups of horses. While
// it shows, every wheel turn in the application goes to its value.
class TMarginDialog : public QDialog {
  Q_OBJECT

public:
  explicit TMarginDialog(QWidget* parent = nullptr);

  int Value() const { return FModel.Value(); }
  // Held within 1 .. 30.
  void SetValue(int value);
  QString PanelText() const;

  QLabel* Panel() const { return FPanel; }
  QToolButton* LeftArrow() const { return FLeft; }
  QToolButton* RightArrow() const { return FRight; }
  QPushButton* OkButton() const { return FOk; }

  // An arrow was clicked: the right one raises the value.
  void Step(bool up);

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void ShowCentred();
  bool TakeWheel(QEvent* event);
  void ShowValue();

  TMarginModel FModel;
  QLabel* FPanel;
  QToolButton* FLeft;
  QToolButton* FRight;
  QPushButton* FOk;
  bool FHooked = false;
};
