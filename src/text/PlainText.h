#pragma once

#include <QString>

// The text without control characters (NUL, ESC, the rest of C0 and C1, DEL),
// which a feed may carry but no terminal or spreadsheet should be given.
QString WithoutControls(const QString& text);

// The text as a name search compares it: full- and half-width forms made one
// (NFKC), hiragana made katakana, letters upper case, blanks dropped. "ｶｾﾞ",
// "かぜ" and "カゼ" fold alike.
QString FoldedForSearch(const QString& text);
