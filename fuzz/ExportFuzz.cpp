#include "fuzz/ExportChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return RunFuzzCheck(&CheckExport, data, size);
}
