// The identity gamma table every benchmark scan loads, so the image bytes are
// the same on every path.
#include "bench_path.h"
#include "zorvik_contract.h"

namespace zorvik::bench {

const uint8_t* IdentityGammaTable() {
  static const struct Table {
    uint8_t entries[ZORVIK_GAMMA_TABLE_SIZE];
    Table() {
      for (unsigned i = 0; i < ZORVIK_GAMMA_TABLE_SIZE; ++i) entries[i] = static_cast<uint8_t>(i);
    }
  } table;
  return table.entries;
}

}  // namespace zorvik::bench
