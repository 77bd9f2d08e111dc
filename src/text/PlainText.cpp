#include "text/PlainText.h"

QString WithoutControls(const QString& text) {
  QString kept;
  kept.reserve(text.size());
  for (const QChar c : text)
    if (c.category() != QChar::Other_Control) kept += c;
  return kept;
}

QString FoldedForSearch(const QString& text) {
  const QString wide = text.normalized(QString::NormalizationForm_KC);
  QString folded;
  folded.reserve(wide.size());
  for (QChar c : wide) {
    if (c.isSpace()) continue;
    const char16_t u = c.unicode();
    // ぁ..ゖ and ゝゞ sit 0x60 below their katakana.
    if ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E) c = QChar(char16_t(u + 0x60));
    folded.append(c.toUpper());
  }
  return folded;
}
