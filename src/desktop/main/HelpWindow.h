#pragma once

#include <QWidget>

class QLineEdit;
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
  // The next place the text stands: further down the page shown, else in the
  // book's next page that holds it. False when no page does.
  bool FindNext(const QString& text);

  QTextBrowser* Browser() const { return FBrowser; }
  QLineEdit* FindField() const { return FFind; }

private:
  QTextBrowser* FBrowser;
  QLineEdit* FFind = nullptr;
};
