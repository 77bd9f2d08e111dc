#pragma once

#include <QStringList>

#include <cstdio>

// `records FILE...`: prints every record line of the files with its decoded
// fields. Invalid lines are reported on `err` and skipped. Returns the exit
// code: 0 done, 2 a file that cannot be read or a field that does not convert.
int RunRecordsCommand(const QStringList& files, std::FILE* out, std::FILE* err);
