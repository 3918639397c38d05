#include "child_argument.h"

#include "test_text.h"

namespace zorvik::bench {
namespace {

constexpr wchar_t kFieldEnd = L'|';

}  // namespace

std::wstring PackChildArgument(const ChildArgument& argument) {
  std::wstring packed =
      test::Widen(argument.tag) + kFieldEnd + test::Widen(argument.result_path) + kFieldEnd;
  for (const std::string& arg : argument.args) packed += test::Widen(arg) + kFieldEnd;
  return packed;
}

std::optional<ChildArgument> UnpackChildArgument(const std::wstring& packed) {
  std::vector<std::string> fields;
  size_t begin = 0;
  for (size_t end = packed.find(kFieldEnd); end != std::wstring::npos;
       end = packed.find(kFieldEnd, begin)) {
    fields.push_back(test::Narrow(packed.substr(begin, end - begin)));
    begin = end + 1;
  }
  if (begin != packed.size() || fields.size() < 2) return std::nullopt;
  return ChildArgument{fields[0], fields[1],
                       std::vector<std::string>(fields.begin() + 2, fields.end())};
}

}  // namespace zorvik::bench
