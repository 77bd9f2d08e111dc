#include "fuzz/PositionFileChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return RunFuzzCheck(&CheckPositionFile, data, size);
}
