#include "inproc_server_scope.h"

#include "registry_values.h"

namespace zorvik::test {

ScopedInprocServer::ScopedInprocServer(const char* class_id, const std::wstring& dll_path)
    : key_(std::string("Software\\Classes\\CLSID\\") + class_id) {
  UniqueRegKey server = CreateMachineKey((key_ + "\\InprocServer32").c_str());
  RegSetValueExW(server.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll_path.c_str()),
                 static_cast<DWORD>((dll_path.size() + 1) * sizeof(wchar_t)));
  SetStringValue(server.get(), "ThreadingModel", "Both");
}

ScopedInprocServer::~ScopedInprocServer() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, key_.c_str()); }

}  // namespace zorvik::test
