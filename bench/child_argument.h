// The one argument a benchmark child is started with (the tests' child roles
// pass a single argument): the tag of its group, the file its figure goes to
// and the role's own arguments, each ended by '|'. No Windows path holds a
// '|', and since the argument never ends in a backslash, the quote that
// closes it on the command line is never taken for an escaped one. A role's
// own arguments must hold neither '|' nor '"'.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zorvik::bench {

struct ChildArgument {
  std::string tag;
  std::string result_path;
  std::vector<std::string> args;
};

std::wstring PackChildArgument(const ChildArgument& argument);

// Nullopt when `packed` is not what PackChildArgument makes.
std::optional<ChildArgument> UnpackChildArgument(const std::wstring& packed);

}  // namespace zorvik::bench
