// The driver error table of the host developer's page must name every code
// exactly as the component does: hosts match log lines against it.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "driver_error.h"
#include "test_paths.h"

namespace {

// The "| code | name |" rows of the page's "## Driver error codes" section.
std::map<uint32_t, std::string> DocumentedErrors() {
  std::ifstream page(std::filesystem::path(zorvik::test::BesideExecutable(L"host-developer.md")));
  std::map<uint32_t, std::string> rows;
  std::string line;
  bool in_section = false;
  while (std::getline(page, line)) {
    if (line.rfind("## ", 0) == 0) in_section = line == "## Driver error codes";
    if (!in_section || line.size() < 2 || line[0] != '|') continue;
    std::istringstream cells(line.substr(1));
    std::string code, name;
    if (!std::getline(cells, code, '|') || !std::getline(cells, name, '|')) continue;
    code = code.substr(code.find_first_not_of(' '));
    if (code.empty() || code[0] < '0' || code[0] > '9') continue;  // header rows
    name = name.substr(1, name.find_last_not_of(' '));
    rows[static_cast<uint32_t>(std::stoul(code))] = name;
  }
  return rows;
}

TEST(HostDeveloperPage, ErrorTableMatchesTheComponentsNames) {
  const std::map<uint32_t, std::string> documented = DocumentedErrors();
  ASSERT_FALSE(documented.empty()) << "no error table found in host-developer.md";
  for (const auto& [code, name] : documented) {
    EXPECT_EQ(name, zorvik::DriverErrorName(code)) << "code " << code;
  }
  // Every code the component names is listed, none left out.
  for (uint32_t code = 0; code < 1000; ++code) {
    const std::string name = zorvik::DriverErrorName(code);
    if (name != "no definition") {
      EXPECT_EQ(documented.count(code), 1u) << "code " << code << " (" << name << ")";
    }
  }
}

}  // namespace
