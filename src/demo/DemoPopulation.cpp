#include "demo/DemoPopulation.h"

#include "demo/DemoEra.h"
#include "demo/DemoNames.h"

#include <QMutex>

#include <map>
#include <memory>
#include <tuple>

namespace DemoPopulation {

QList<QList<TDemoEntry>> DayFields(int seed, const TDemoCalendar& calendar, const QDate& day) {
  static QMutex mutex;
  static std::map<std::tuple<int, bool, int>, std::unique_ptr<TDemoEra>> eras;
  const QMutexLocker lock(&mutex);
  const int era = TDemoEra::EraOf(day);
  std::unique_ptr<TDemoEra>& simulated = eras[{seed, calendar.MondayHolidays(), era}];
  if (!simulated) simulated = std::make_unique<TDemoEra>(seed, calendar, era);

  // The eras share out the name space, so a name comes back only after ten eras.
  const qint64 shares = DemoNames::HorseNameCount() / NamesPerEra;
  const qint64 firstName = ((era % shares) + shares) % shares * NamesPerEra;
  QList<QList<TDemoEntry>> fields;
  for (const std::vector<TDemoRunner>& race : simulated->Day(day)) {
    QList<TDemoEntry> field;
    for (const TDemoRunner& runner : race) {
      const qint32 name = simulated->Horse(runner.Horse).Name;
      field.append({DemoNames::HorseName(firstName + name % NamesPerEra), runner.Jockey, runner.Ability});
    }
    fields.append(field);
  }
  return fields;
}

}  // namespace DemoPopulation
