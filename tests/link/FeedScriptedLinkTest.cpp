// The scripted link stands in for the service in download tests; these pin the
// answers those tests rely on.
#include "support/ScriptedLink.h"

#include "text/LineFile.h"

#include <gtest/gtest.h>

namespace {

QList<int> ReadResults(TJVLink& link, int count, TByteLines* records = nullptr) {
  QList<int> results;
  for (int i = 0; i < count; ++i) {
    QByteArray buffer;
    QString name;
    results.append(link.JVRead(buffer, 110000, name));
    if (results.last() > 0 && records) records->append(buffer);
  }
  return results;
}

TEST(ScriptedLinkTest, AnswersAsScripted) {
  TScriptedLink link;
  link.Day("20240106").Pending(2).Records({"RA7a", "SE7bc\r\n"});
  link.Day("20240107").Record("RA7x").Fail(-402);
  link.Day("20240108").Open(-504);
  link.CloseResults = {0, -1001};

  EXPECT_EQ(link.JVRTOpen("0B12", "20240105"), -1) << "unscripted day";
  EXPECT_EQ(link.JVRTOpen("0B12", "20240108"), -504);
  EXPECT_EQ(ReadResults(link, 1), QList<int>{-203}) << "nothing open";

  ASSERT_EQ(link.JVRTOpen("0B12", "20240106"), 0);
  TByteLines records;
  EXPECT_EQ(ReadResults(link, 5, &records), (QList<int>{-1, -1, 6, 7, 0}));
  EXPECT_EQ(records, (TByteLines{"RA7a\r\n", "SE7bc\r\n"}));
  EXPECT_EQ(link.JVClose(), 0);

  ASSERT_EQ(link.JVRTOpen("0B12", "20240107"), 0);
  EXPECT_EQ(ReadResults(link, 3), (QList<int>{6, -402, -402})) << "an error sticks";
  EXPECT_EQ(link.JVClose(), -1001);
  EXPECT_EQ(link.JVClose(), 0) << "after the list";

  EXPECT_EQ(link.OpenedKeys(), (QList<QByteArray>{"20240105", "20240108", "20240106", "20240107"}));
  EXPECT_EQ(link.CallsNamed(QStringLiteral("JVClose")).size(), 3);
  EXPECT_FALSE(link.FileNameNotCleared);
  EXPECT_EQ(link.ReadSizes.value(0), 110000);
}

}  // namespace
