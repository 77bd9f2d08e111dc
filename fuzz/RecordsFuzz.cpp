#include "fuzz/RecordChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return RunFuzzCheck(&CheckRecords, data, size);
}
