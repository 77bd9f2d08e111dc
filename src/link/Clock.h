#pragma once

#include <QDateTime>

// "Today" and the time of day come through here, so tests and the command line
// can fix them.
class TClock {
public:
  virtual ~TClock() = default;
  virtual QDateTime Now() const = 0;
};

class TSystemClock : public TClock {
public:
  QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

class TFixedClock : public TClock {
public:
  explicit TFixedClock(QDateTime now) : FNow(std::move(now)) {}
  QDateTime Now() const override { return FNow; }
  void SetNow(QDateTime now) { FNow = std::move(now); }

private:
  QDateTime FNow;
};
