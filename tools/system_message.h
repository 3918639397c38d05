// The system's own words for a failure code, for messages a user reads.
#pragma once

#include <cstdint>
#include <string>

namespace zorvik::host {

// The system's message for `hresult` in UTF-8, as one line without the final
// full stop ("There is not enough space on the disk"); empty when the
// system has none.
std::string SystemMessage(uint32_t hresult);

}  // namespace zorvik::host
