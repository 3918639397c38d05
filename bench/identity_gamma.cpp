// The identity gamma table every benchmark scan loads, so the image bytes are
// the same on every path.
#include "bench_path.h"

namespace zorvik::bench {

const uint8_t* IdentityGammaTable() {
  static const struct Table {
    uint8_t entries[256];
    Table() {
      for (int i = 0; i < 256; ++i) entries[i] = static_cast<uint8_t>(i);
    }
  } table;
  return table.entries;
}

}  // namespace zorvik::bench
