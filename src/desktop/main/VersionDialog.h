#pragma once

#include <QDialog>

// The version dialog: the program's emblem, name, version and credit line.
class TVersionDialog : public QDialog {
  Q_OBJECT

public:
  explicit TVersionDialog(QWidget* parent = nullptr);
};
