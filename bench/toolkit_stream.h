// The yardstick for reads across apartments: an object with nothing but
// IStream, whose Read makes the toolkit's own ReadScan into the caller's
// buffer, made in a single-threaded apartment and reached through ole32's
// standard IStream proxy. It does the component's work across apartments
// with nothing of the component in between. Made in the same apartment as
// the component's object it is set against, it meets the same thread
// placement and the same wake-ups.
#pragma once

#include <objidl.h>
#include <wrl/client.h>

#include <cstdint>

#include "other_apartment.h"

namespace zorvik::bench {

class CrossApartmentToolkitStream {
 public:
  // Makes the stream in `apartment`, which must outlive this object.
  explicit CrossApartmentToolkitStream(OtherApartment& apartment);
  // Null when ready, else why the stream cannot be used: it could not be
  // made or marshalled, or the caller got the object itself, not a proxy.
  const char* Failure() const { return failure_; }
  // The next `bytes` of the scan running on the default device, through the
  // proxy. False when the read fails or did not run in the other apartment.
  bool Read(uint8_t* buffer, uint32_t bytes);

 private:
  OtherApartment& apartment_;
  Microsoft::WRL::ComPtr<IStream> proxy_;
  const char* failure_ = nullptr;
};

}  // namespace zorvik::bench
