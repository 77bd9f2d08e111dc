#include "records/Venues.h"

#include <array>

QString VenueName(QByteArrayView venueCode) {
  static const std::array<const char16_t*, 10> names = {u"札幌", u"函館", u"福島", u"新潟", u"東京",
                                                        u"中山", u"中京", u"京都", u"阪神", u"小倉"};
  if (venueCode.size() != 2) return {};
  const char tens = venueCode[0];
  const char ones = venueCode[1];
  if (tens == '0' && ones >= '1' && ones <= '9') return QString::fromUtf16(names[ones - '1']);
  if (tens == '1' && ones == '0') return QString::fromUtf16(names[9]);
  return {};
}
