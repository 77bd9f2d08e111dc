#pragma once

// A session over a demo week for the race window's tests, pictures and
// benchmarks: the feed link writes the demo feed into DemoFeed of the start
// directory, the clock stands at 2024-05-12 09:00.

#include "demo/DemoService.h"
#include "link/Clock.h"
#include "link/FeedLink.h"
#include "race/RaceMath.h"
#include "race/RaceSheet.h"
#include "records/RaceRecord.h"
#include "shell/Session.h"
#include "support/QuietObserver.h"

#include <QApplication>
#include <QDateTime>
#include <QFont>

#include <functional>

using namespace Qt::StringLiterals;

struct TDemoSession {
  explicit TDemoSession(const QString& startDir, bool download = true)
      : Link(startDir, Clock), Session(startDir, Link, Clock, Observer) {
    Link.SetDemoWriter(DemoFeedWriter());
    Session.StartUp();
    if (download) Session.RunDownload();
  }

  TFixedClock Clock{QDateTime(QDate(2024, 5, 12), QTime(9, 0))};
  TFeedLink Link;
  TQuietObserver Observer;
  TSession Session;
};

// The window's font, mapped to a font that is installed.
inline void UseWindowFont() {
  QFont::insertSubstitution(u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s);
  QFont font(u"ＭＳ Ｐゴシック"_s);
  font.setPixelSize(12);
  QApplication::setFont(font);
}

// What a stored race looks like from its position line.
struct TRaceShape {
  QByteArray RaceLine;
  QByteArray PositionLine;
  int Venue = 0;
  int Track = 0;
  int Sections = 0;
  int Presence = 0;

  bool LeftHanded() const { return Venue == 4 || Venue == 5 || Venue == 7; }
  bool Dirt() const { return Track >= 23 && Track <= 49; }
  bool Straight() const { return Track == 10; }
  bool ThirdCorner() const { return Presence & 2; }
};

// The last flat race of the store that passes the test; an empty line when none does.
inline QByteArray FindRace(const TSession& session, const std::function<bool(const TRaceShape&)>& wanted) {
  TRaceRecord race;
  QByteArray found;
  for (const TRaceEntry& entry : session.Store().Races) {
    if (entry.PositionLine.size() <= 24) continue;
    if (race.TrackDistance(entry.RaceLine).startsWith(u'障')) continue;
    const QByteArray& line = entry.PositionLine;
    TRaceShape shape{entry.RaceLine,
                     line,
                     line.mid(8, 2).toInt(),
                     line.mid(20, 2).toInt(),
                     RaceSectionCount(LineDistance(line)),
                     SectionPresence(line)};
    if (wanted(shape)) found = entry.RaceLine;
  }
  return found;
}
