#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Columns a terminal gives the text: East Asian wide and full-width characters
// take two, everything else one (half-width katakana included).
int DisplayWidth(const QString& text);

enum class TColumnAlign { Left, Right };

// Pads text with blanks to the given number of columns; longer text is kept whole.
QString PadToWidth(const QString& text, int width, TColumnAlign align = TColumnAlign::Left);

// Rows of cells printed in columns aligned by display width, two blanks apart.
class TTextTable {
public:
  void SetAlign(int column, TColumnAlign align);
  void AddRow(const QStringList& cells);
  // Every row as one line, trailing blanks removed, each ended by a line feed.
  QString Render(const QString& indent = {}) const;

private:
  QList<QStringList> FRows;
  QList<TColumnAlign> FAligns;
};
