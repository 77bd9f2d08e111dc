#pragma once

#include <QByteArray>
#include <QString>

// The data service's client control as the program uses it. Every call returns
// the control's integer result.
class TJVLink {
public:
  virtual ~TJVLink() = default;

  // 0: ready.
  virtual int JVInit(const QString& softwareId) = 0;
  // 0: opened; -504: service under maintenance; other values are errors.
  virtual int JVRTOpen(const QByteArray& dataKind, const QByteArray& key) = 0;
  // n > 0: one record of n bytes (ending CR LF) in buffer; 0: all read;
  // -1: nothing yet, call again; below -1: error. size is the caller's buffer
  // size; fileName is cleared and otherwise ignored.
  virtual int JVRead(QByteArray& buffer, int size, QString& fileName) = 0;
  // 0: closed.
  virtual int JVClose() = 0;
  // Shows the link's own settings; 0 or an error code.
  virtual int JVSetUIProperties() = 0;
  // Replay availability: greater than 0 when a replay exists.
  virtual int JVMVCheck(const QByteArray& raceKey) = 0;
  // Plays the race's replay; the result is ignored by callers.
  virtual int JVMVPlay(const QByteArray& raceKey) = 0;
};
