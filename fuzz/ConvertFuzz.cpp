#include "fuzz/ConvertChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return RunFuzzCheck(&CheckConvert, data, size);
}
