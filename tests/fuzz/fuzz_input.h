// Reading a fuzzer's input as records: each record takes the next bytes, and
// an input that runs out gives zeros for the rest, so every input is usable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace zorvik::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  template <typename Record>
  Record Take() {
    Record record;
    std::memset(&record, 0, sizeof record);
    const size_t n = size_ - offset_ < sizeof record ? size_ - offset_ : sizeof record;
    std::memcpy(&record, data_ + offset_, n);
    offset_ += n;
    return record;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

// A broken property: says which, and stops the fuzzer with the input saved.
[[noreturn]] inline void Broken(const char* property, const std::string& detail = "") {
  std::fprintf(stderr, "property broken: %s %s\n", property, detail.c_str());
  std::abort();
}

inline void Require(bool holds, const char* property, const std::string& detail = "") {
  if (!holds) Broken(property, detail);
}

}  // namespace zorvik::fuzz
