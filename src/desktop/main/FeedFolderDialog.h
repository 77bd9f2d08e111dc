#pragma once

#include "link/LinkSettings.h"

#include <QDialog>

class QLineEdit;

// The feed link's user settings: the folder it serves, or the demo feed.
class TFeedFolderDialog : public QDialog {
  Q_OBJECT

public:
  explicit TFeedFolderDialog(QWidget* parent = nullptr);

  void Load(const TLinkSettings& settings);
  void Store(TLinkSettings& settings) const;

  // Shows the dialog modally; true when the user changed the folder with OK.
  static bool Edit(QWidget* parent, TLinkSettings& settings);

private:
  QLineEdit* FFolder;
};
