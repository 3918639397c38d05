// Where a scan's bytes go as they arrive: an image file or stream that takes
// them in pieces split anywhere, and is finished once every byte is there.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace zorvik::host {

class ScanSink {
 public:
  virtual ~ScanSink() = default;
  // Takes the next `count` bytes of the scan; a failure is returned again by
  // every later call.
  virtual HRESULT Append(const uint8_t* bytes, size_t count) = 0;
  // Finishes the image once every line has been appended.
  virtual HRESULT Commit() = 0;
};

}  // namespace zorvik::host
