#include "text/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

namespace {

// Qt's converter uses an IBM table that rotates the control codes 0x1A, 0x1C and
// 0x7F. The rotation is measured once, so whatever the ICU build does is undone.
struct TControlFix {
  std::array<char16_t, 128> FromDecoded{};  // decoded char -> the byte it came from
  std::array<char16_t, 128> ToEncoder{};    // wanted byte -> the char the encoder needs

  TControlFix() {
    for (int i = 0; i < 128; ++i) {
      FromDecoded[i] = char16_t(i);
      ToEncoder[i] = char16_t(i);
    }
    QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
    for (const char byte : {'\x1a', '\x1c', '\x7f'}) {
      const QString decoded = decoder(QByteArrayView(&byte, 1));
      if (decoded.size() == 1 && decoded.at(0).unicode() < 128) {
        FromDecoded[decoded.at(0).unicode()] = char16_t(byte);
        ToEncoder[uchar(byte)] = decoded.at(0).unicode();
      }
    }
  }
};

const TControlFix& ControlFix() {
  static const TControlFix fix;
  return fix;
}

bool NeedsFix(char16_t c) {
  return c == 0x1a || c == 0x1c || c == 0x7f;
}

}  // namespace

QString DecodeCp932(QByteArrayView bytes) {
  // Opening the converter costs more than decoding a name; a stateless one is
  // kept per thread.
  thread_local QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
  QString text = decoder(bytes);
  for (QChar& c : text) {
    if (NeedsFix(c.unicode())) c = QChar(ControlFix().FromDecoded[c.unicode()]);
  }
  return text;
}

QByteArray EncodeCp932(QStringView text) {
  thread_local QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
  bool fixNeeded = false;
  for (const QChar c : text) fixNeeded = fixNeeded || NeedsFix(c.unicode());
  if (!fixNeeded) return encoder(text);
  QString fixed = text.toString();
  for (QChar& c : fixed) {
    if (NeedsFix(c.unicode())) c = QChar(ControlFix().ToEncoder[c.unicode()]);
  }
  return encoder(fixed);
}

qsizetype Cp932Length(QStringView text) {
  return EncodeCp932(text).size();
}
