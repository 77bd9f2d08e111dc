#pragma once

#include <QWidget>

class QTextBrowser;

// The help book, shipped inside the program: contents, links, back and forward.
class THelpWindow : public QWidget {
  Q_OBJECT

public:
  static constexpr const char* ContentsPage = "qrc:/help/index.html";
  // The program has no web site: its support page is a page of the book.
  static constexpr const char* SupportPage = "qrc:/help/support.html";

  explicit THelpWindow(QWidget* owner = nullptr);

  void ShowContents();
  void ShowPage(const char* page);

private:
  QTextBrowser* FBrowser;
};
