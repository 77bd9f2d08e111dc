#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// The "Sorry" dialog: one message and an OK button. It keeps the text it was
// given last; it starts with the steeplechase text.
class TSorryDialog : public QDialog {
  Q_OBJECT

public:
  explicit TSorryDialog(QWidget* parent = nullptr);

  static QString SteeplechaseText();

  void SetText(const QString& text);
  QString Text() const;

private:
  QLabel* FMessage;
  QPushButton* FOkButton;
};
