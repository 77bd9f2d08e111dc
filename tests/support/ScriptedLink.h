#pragma once

// A data link whose every answer is scripted by the test, and which records
// every call it receives.
//
//   TScriptedLink link;
//   link.Day("20240106").Records({ra, se, hr});              // opens with 0, delivers three records, then 0
//   link.Day("20240107").Pending(3).Records({ra}).Fail(-402);  // -1 three times, one record, then -402
//   link.Day("20240108").Open(-504);                           // maintenance
//   link.CloseResults = {0, -999};                             // second JVClose fails
//   ... run the download ...
//   EXPECT_EQ(link.CallsNamed("JVRTOpen").size(), 8);
//
// A day without a script answers JVRTOpen with DefaultOpenResult (-1: no data).

#include "link/JVLink.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

class TScriptedLink : public TJVLink {
public:
  // One JVRead answer: a record (Result is its byte count) or a bare code.
  struct TReadStep {
    int Result = 0;
    QByteArray Record;
  };

  class TDayScript {
  public:
    TDayScript& Open(int result) {
      OpenResult = result;
      return *this;
    }
    // A record to deliver; CR LF is added when it does not end with it.
    TDayScript& Record(QByteArray record) {
      if (!record.endsWith("\r\n")) record.append("\r\n");
      const int size = static_cast<int>(record.size());
      Steps.append(TReadStep{size, std::move(record)});
      return *this;
    }
    TDayScript& Records(const QList<QByteArray>& records) {
      for (const QByteArray& record : records) Record(record);
      return *this;
    }
    // "Nothing yet, call again", count times.
    TDayScript& Pending(int count = 1) {
      for (int i = 0; i < count; ++i) Steps.append(TReadStep{-1, {}});
      return *this;
    }
    // A read error; the day answers it to every later read as well.
    TDayScript& Fail(int code) {
      Steps.append(TReadStep{code, {}});
      return *this;
    }

    int OpenResult = 0;
    QList<TReadStep> Steps;
  };

  // A logged call: its name, its arguments as text, its result.
  struct TCall {
    QString Name;
    QByteArray Arg1;
    QByteArray Arg2;
    int Result = 0;
  };

  TDayScript& Day(const QByteArray& key) { return Days[key]; }

  int JVInit(const QString& softwareId) override {
    const int result = InitResult;
    Initialised = result == 0;
    return Log(QStringLiteral("JVInit"), softwareId.toUtf8(), {}, result);
  }

  int JVRTOpen(const QByteArray& dataKind, const QByteArray& key) override {
    int result = DefaultOpenResult;
    const auto day = Days.constFind(key);
    if (day != Days.constEnd()) result = day->OpenResult;
    if (OpenHook) result = OpenHook(dataKind, key, result);
    if (result == 0) {
      OpenKey = key;
      NextStep = 0;
      IsOpen = true;
    }
    return Log(QStringLiteral("JVRTOpen"), dataKind, key, result);
  }

  int JVRead(QByteArray& buffer, int size, QString& fileName) override {
    ReadSizes.append(size);
    if (!fileName.isEmpty()) FileNameNotCleared = true;
    if (ReadHook) ReadHook();
    int result = NotOpenReadResult;
    buffer.clear();
    if (IsOpen) {
      const QList<TReadStep>& steps = Days.value(OpenKey).Steps;
      if (NextStep >= steps.size()) {
        result = 0;
      } else {
        const TReadStep& step = steps[NextStep];
        result = step.Result;
        if (result > 0) buffer = step.Record;
        // An error sticks, like a broken connection.
        if (result >= -1) ++NextStep;
      }
    }
    return Log(QStringLiteral("JVRead"), buffer.left(27), {}, result);
  }

  int JVClose() override {
    int result = 0;
    if (CloseCalls < CloseResults.size()) result = CloseResults[CloseCalls];
    ++CloseCalls;
    IsOpen = false;
    OpenKey.clear();
    return Log(QStringLiteral("JVClose"), {}, {}, result);
  }

  int JVSetUIProperties() override { return Log(QStringLiteral("JVSetUIProperties"), {}, {}, UIResult); }

  int JVMVCheck(const QByteArray& raceKey) override {
    return Log(QStringLiteral("JVMVCheck"), raceKey, {}, Replays.contains(raceKey) ? 1 : 0);
  }

  int JVMVPlay(const QByteArray& raceKey) override {
    Played.append(raceKey);
    return Log(QStringLiteral("JVMVPlay"), raceKey, {}, Replays.contains(raceKey) ? 0 : -1);
  }

  // The calls of one name, in order.
  QList<TCall> CallsNamed(const QString& name) const {
    QList<TCall> calls;
    for (const TCall& call : Calls)
      if (call.Name == name) calls.append(call);
    return calls;
  }
  // The names of all calls, in order ("JVRTOpen", "JVRead", ...).
  QStringList CallNames() const {
    QStringList names;
    for (const TCall& call : Calls) names.append(call.Name);
    return names;
  }
  // The date keys passed to JVRTOpen, in order.
  QList<QByteArray> OpenedKeys() const {
    QList<QByteArray> keys;
    for (const TCall& call : Calls)
      if (call.Name == QLatin1String("JVRTOpen")) keys.append(call.Arg2);
    return keys;
  }

  // Script.
  int InitResult = 0;
  int DefaultOpenResult = -1;
  int NotOpenReadResult = -203;
  int UIResult = 0;
  QList<int> CloseResults;  // per JVClose call in order; 0 after the list ends
  QSet<QByteArray> Replays;
  QMap<QByteArray, TDayScript> Days;
  // May replace the open result, e.g. to fail the n-th call whatever the day.
  std::function<int(const QByteArray& dataKind, const QByteArray& key, int scripted)> OpenHook;
  // Runs at the start of every JVRead, e.g. to check what the caller shows meanwhile.
  std::function<void()> ReadHook;

  // Record.
  QList<TCall> Calls;
  QList<int> ReadSizes;
  QList<QByteArray> Played;
  bool FileNameNotCleared = false;
  bool Initialised = false;
  bool IsOpen = false;

private:
  int Log(const QString& name, const QByteArray& arg1, const QByteArray& arg2, int result) {
    Calls.append({name, arg1, arg2, result});
    return result;
  }

  QByteArray OpenKey;
  qsizetype NextStep = 0;
  qsizetype CloseCalls = 0;
};
