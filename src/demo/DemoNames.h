#pragma once

#include "demo/DemoRandom.h"

#include <QString>
#include <QStringList>

// Fictional names the way the service writes them.
namespace DemoNames {
// The jockeys of a seed.
constexpr int RosterSize = 96;

// The index-th horse name: katakana, 4 to 9 characters, words joined the way
// horse names are. Indexes below HorseNameCount() give different names;
// neighbouring indexes give unrelated ones.
QString HorseName(qint64 index);
qint64 HorseNameCount();
// Four full-width characters: family name and the start of the given name.
QString JockeyName(TDemoRandom& random);
// The jockeys riding in the demo, the same for every day of a seed.
QStringList JockeyRoster(int seed);
// The stem of a special race's name ("若葉", "鳴門"); three characters at most.
QString RaceStem(TDemoRandom& random);
// Pads a text with ideographic spaces to `chars` characters, as the service pads.
QString PadFullWidth(const QString& text, int chars);
}  // namespace DemoNames
