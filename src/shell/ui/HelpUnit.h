#pragma once

#include <QWidget>

class QTextBrowser;

// The help book, shipped inside the program: contents, links, back and forward.
class THelpForm : public QWidget {
  Q_OBJECT

public:
  static constexpr const char* ContentsPage = "qrc:/help/index.html";

  explicit THelpForm(QWidget* owner = nullptr);

  void ShowContents();
  QTextBrowser* Browser() const { return FBrowser; }

private:
  QTextBrowser* FBrowser;
};
