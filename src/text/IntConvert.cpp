#include "text/IntConvert.h"

#include "text/Cp932.h"
#include "text/Errors.h"

#include <limits>
#include <optional>

namespace {

std::optional<int> ParseStrict(QByteArrayView text) {
  qsizetype i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

[[noreturn]] void ThrowNotInteger(const QString& text) {
  throw TConvertError(QStringLiteral("'%1' は正しい整数値ではありません").arg(text));
}

}  // namespace

int StrToInt(QByteArrayView text) {
  if (const auto value = ParseStrict(text)) return *value;
  ThrowNotInteger(DecodeCp932(text));
}

int StrToInt(QStringView text) {
  // Only ASCII can convert; anything else is reported as it was given.
  for (const QChar c : text) {
    if (c.unicode() > 0x7f) ThrowNotInteger(text.toString());
  }
  if (const auto value = ParseStrict(text.toLatin1())) return *value;
  ThrowNotInteger(text.toString());
}

int DigitOrZero(char byte) { return byte >= '0' && byte <= '9' ? byte - '0' : 0; }

int StrToIntOrZero(QByteArrayView text) { return ParseStrict(text).value_or(0); }
