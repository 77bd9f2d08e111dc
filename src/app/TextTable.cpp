#include "TextTable.h"

#include "text/PlainText.h"

#include <algorithm>

namespace {

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
         (c >= 0x20000 && c <= 0x3FFFD);
}

bool IsZeroWidth(char32_t c) {
  return c < 0x20 || (c >= 0x300 && c <= 0x36F) || c == 0x200B || (c >= 0xFE00 && c <= 0xFE0F);
}

}  // namespace

int DisplayWidth(const QString& text) {
  int width = 0;
  for (const char32_t c : text.toUcs4()) {
    if (IsZeroWidth(c)) continue;
    width += IsWide(c) ? 2 : 1;
  }
  return width;
}

QString PadToWidth(const QString& text, int width, TColumnAlign align) {
  const int missing = width - DisplayWidth(text);
  if (missing <= 0) return text;
  const QString blanks(missing, u' ');
  return align == TColumnAlign::Left ? text + blanks : blanks + text;
}

void TTextTable::SetAlign(int column, TColumnAlign align) {
  while (FAligns.size() <= column) FAligns.append(TColumnAlign::Left);
  FAligns[column] = align;
}

void TTextTable::AddRow(const QStringList& cells) {
  // Text from the feed reaches a terminal: no control character may pass.
  QStringList kept;
  kept.reserve(cells.size());
  for (const QString& cell : cells) kept.append(WithoutControls(cell));
  FRows.append(kept);
}

QString TTextTable::Render(const QString& indent) const {
  QList<int> widths;
  for (const QStringList& row : FRows) {
    for (qsizetype c = 0; c < row.size(); ++c) {
      if (widths.size() <= c) widths.append(0);
      widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
  }
  QString out;
  for (const QStringList& row : FRows) {
    QString line = indent;
    for (qsizetype c = 0; c < row.size(); ++c) {
      if (c > 0) line += QStringLiteral("  ");
      line += PadToWidth(row[c], widths[c], FAligns.value(c, TColumnAlign::Left));
    }
    while (line.endsWith(u' ')) line.chop(1);
    out += line + u'\n';
  }
  return out;
}
