#include "store/RaceSummary.h"

TRaceSummary::TRaceSummary(QByteArrayView line) {
  const qsizetype equals = line.indexOf('=');
  FKey = equals < 0 ? line : line.first(equals);
  if (equals >= 0) FValue = line.sliced(equals + 1);
}

TRaceSummary TRaceSummary::OfValue(QByteArrayView value) {
  TRaceSummary summary;
  summary.FValue = value;
  return summary;
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
