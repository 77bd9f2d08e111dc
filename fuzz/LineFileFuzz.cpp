#include "fuzz/LineFileChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return RunFuzzCheck(&CheckLineFile, data, size);
}
