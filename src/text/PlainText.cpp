#include "text/PlainText.h"

QString WithoutControls(const QString& text) {
  QString kept;
  kept.reserve(text.size());
  for (const QChar c : text)
    if (c.category() != QChar::Other_Control) kept += c;
  return kept;
}
