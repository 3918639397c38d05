// Converting a host's UTF-16 string into the system's ANSI code page.
#pragma once

#include <windows.h>

namespace zorvik {

// Converts the NUL-terminated `in`, terminator included, into `out` (room for
// `out_size` bytes). Returns `out`, or null when either pointer is null, the
// result does not fit, or a character has no exact form in the code page: a
// look-alike or '?' put in its place would name another device. Once both
// pointers are given and out_size is not 0, `out` holds a NUL-terminated
// string either way (empty on failure).
char* WideToMultiByte(char* out, const wchar_t* in, int out_size);

}  // namespace zorvik
