// The module handle and path that registration writes and reads resources from.
#include "this_module.h"

namespace zorvik {
namespace {
HMODULE g_this_module = nullptr;
}

void RecordThisModule(HMODULE module) noexcept { g_this_module = module; }

HMODULE ThisModule() noexcept { return g_this_module; }

std::wstring ModulePath(HMODULE module) {
  // GetModuleFileNameW truncates silently; a full buffer means try a larger one.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

}  // namespace zorvik
