#include "store/RaceSummary.h"

QByteArrayView TRaceSummary::RaceKey() const {
  const qsizetype equals = FLine.indexOf('=');
  return equals < 0 ? FLine : FLine.first(equals);
}

QByteArrayView TRaceSummary::Value() const {
  const qsizetype equals = FLine.indexOf('=');
  return equals < 0 ? QByteArrayView() : FLine.sliced(equals + 1);
}

QByteArrayView TRaceSummary::Place(int place) const {
  if (!IsComplete() || place < 0 || place > 2) return {};
  return Value().sliced(place * PlaceLength, PlaceLength);
}

char TRaceSummary::Frame(int place) const {
  const QByteArrayView entry = Place(place);
  return entry.isEmpty() ? '\0' : entry[FrameOffset];
}

QByteArrayView TRaceSummary::Field(int place, qsizetype offset, qsizetype length) const {
  const QByteArrayView entry = Place(place);
  return entry.isEmpty() ? QByteArrayView() : entry.sliced(offset, length);
}

void TRaceSummary::AppendPlace(QByteArray& value, QByteArrayView frame, QByteArrayView horse,
                               QByteArrayView corner3, QByteArrayView corner4, QByteArrayView payout,
                               QByteArrayView jockey) {
  value.append(frame).append(horse).append(corner3).append(corner4).append(payout).append(jockey);
}
