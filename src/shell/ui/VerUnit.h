#pragma once

#include <QDialog>

// The version dialog: the program's emblem, name, version and credit line.
class TAboutBox : public QDialog {
  Q_OBJECT

public:
  explicit TAboutBox(QWidget* parent = nullptr);
};
