// Reading the registrar script out of the module's resources.
#include "registrar_resource.h"

#include <map>
#include <string>
#include <utility>

namespace zorvik {

HRESULT LoadRegistrarScript(HMODULE module, const std::wstring& module_path,
                            RegistrarScript* script) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kRegistrarScriptResource), L"REGISTRY");
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (bytes == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  const int size = static_cast<int>(SizeofResource(module, found));

  // The script is stored as text in the ANSI code page.
  std::wstring text(static_cast<size_t>(size), L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes, size, text.data(), size);
  if (length == 0 && size != 0) return HRESULT_FROM_WIN32(GetLastError());
  text.resize(static_cast<size_t>(length));

  RegistrarParseResult parsed = ParseRegistrarScript(text, {{L"MODULE", module_path}});
  if (!parsed.script) {
    OutputDebugStringA(("zorvik: registrar script: " + parsed.error + "\n").c_str());
    return E_FAIL;
  }
  *script = std::move(*parsed.script);
  return S_OK;
}

}  // namespace zorvik
