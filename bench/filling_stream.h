// The bare-buffer yardstick for reads across apartments: an object with
// nothing but IStream, whose Read fills the caller's buffer, so that the
// platform's own IStream proxy carries the bytes.
#pragma once

#include <cstdint>

namespace zorvik::bench {

// MB/s of reading `total` bytes in `chunk`-byte IStream::Read calls on a
// filling stream made in another apartment and reached through ole32's
// standard proxy; the median of `runs` runs. Negative when the stream cannot
// be made or marshalled, when the caller got the object itself instead of a
// proxy, or when a Read fails or ran on the calling thread.
double CrossApartmentStreamMegabytesPerSecond(uint32_t chunk, uint64_t total, int runs);

}  // namespace zorvik::bench
