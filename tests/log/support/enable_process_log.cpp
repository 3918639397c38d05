#include "enable_process_log.h"

#include "log_settings.h"
#include "registry_values.h"
#include "unique_resource.h"
#include "zorvik_contract.h"

namespace zorvik::test {

void EnableProcessLogForTesting(REFCLSID class_id, const std::string& log_path) {
  wchar_t wide_id[64];
  StringFromGUID2(class_id, wide_id, 64);
  const std::string key_name =
      std::string(ZORVIK_LOG_SETTINGS_KEY_BASE) + std::string(wide_id, wide_id + 38);
  {
    UniqueRegKey key = CreateMachineKey(key_name.c_str());
    SetNumberValue(key.get(), "LogEnabled", 1);
    SetNumberValue(key.get(), "LogDestination", 1);
    SetStringValue(key.get(), "LogFile", log_path);
  }
  CLogSettings::Instance(class_id);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_name.c_str());
}

}  // namespace zorvik::test
