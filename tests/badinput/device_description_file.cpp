// Writes the description into the temporary device file.
#include "device_description_file.h"

#include <windows.h>

#include "unique_resource.h"

namespace zorvik::test {

DeviceDescriptionFile::DeviceDescriptionFile(const std::string& description) : file_("device") {
  UniqueHandle file(CreateFileA(file_.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  WriteFile(file.get(), description.data(), static_cast<DWORD>(description.size()), &written,
            nullptr);
}

}  // namespace zorvik::test
