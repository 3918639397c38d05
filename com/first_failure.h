// Several steps that all run, reported by the first that failed.
#pragma once

#include <windows.h>

namespace zorvik {

inline void KeepFirstFailure(HRESULT* first, HRESULT result) {
  if (SUCCEEDED(*first) && FAILED(result)) *first = result;
}

}  // namespace zorvik
