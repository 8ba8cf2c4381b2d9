// Arbitrary bytes as an MTL library: no crash, no undefined behaviour, and
// nothing read from a line longer than the 256-character buffer allows.
#include "assets/mtl_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaly::assets;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const MaterialData& material : readMtlText(text).materials) {
    for (const std::string* word : {&material.name, &material.diffuseMap, &material.bumpMap}) {
      if (word->size() >= mtlLineBufferSize) {
        std::abort();
      }
    }
  }
  return 0;
}
