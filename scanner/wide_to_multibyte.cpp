// UTF-16 to ANSI conversion that refuses to guess.
#include "wide_to_multibyte.h"

namespace zorvik {

char* WideToMultiByte(char* out, const wchar_t* in, int out_size) {
  if (out == nullptr || in == nullptr || out_size <= 0) return nullptr;
  out[0] = '\0';
  // UTF-8 as the ANSI code page represents every valid string but takes no
  // best-fit flag and no default-character report; only broken surrogates
  // fail there.
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL used_default_char = FALSE;
  const int size =
      WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, in, -1, out,
                          out_size, nullptr, utf8 ? nullptr : &used_default_char);
  if (size == 0 || used_default_char) {
    out[0] = '\0';
    return nullptr;
  }
  return out;
}

}  // namespace zorvik
