#pragma once

#include "support/CliHarness.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

inline QJsonObject JsonObjectOf(const TRun& run) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(run.Out.toUtf8(), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  return document.object();
}

inline const QString SundayMain = QStringLiteral("2024051205020611");  // 東京 11R on Sunday 12 May 2024

// One start directory for the suite: the demo week of 12 May 2024 written by
// demo-feed and downloaded on Monday morning.
class CliEndToEndTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Dir = new QTemporaryDir;
    Start = Dir->filePath(QStringLiteral("start"));
    QDir().mkpath(Start);
    DemoFeed = RunCli(Start, DemoFeedArgs(Dir->filePath(QStringLiteral("feed")), QStringLiteral("3")));
    Download = RunCli(Start, DownloadArgs(Dir->filePath(QStringLiteral("feed"))));
  }
  static void TearDownTestSuite() {
    delete Dir;
    Dir = nullptr;
  }

  static QString DataFile(const char* name) {
    return QDir(Start).filePath(QStringLiteral("Data/") + QString::fromLatin1(name));
  }

  // The key of the first race of the latest day that `wanted` accepts; empty when none.
  static QString FirstRaceOfTheDay(const std::function<bool(const QJsonValue&)>& wanted) {
    const QJsonObject day = JsonObjectOf(RunCli(Start, {QStringLiteral("day"), QStringLiteral("--json")}));
    for (const QJsonValue venue : day[QStringLiteral("venues")].toArray())
      for (const QJsonValue race : venue[QStringLiteral("races")].toArray())
        if (wanted(race)) return race[QStringLiteral("raceKey")].toString();
    return {};
  }

  static inline QTemporaryDir* Dir = nullptr;
  static inline QString Start;
  static inline TRun DemoFeed;
  static inline TRun Download;
};
