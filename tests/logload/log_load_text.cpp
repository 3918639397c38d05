// The texts of the log load test and the check of the file they end up in.
#include "log_load_text.h"

#include <cstdio>
#include <map>
#include <regex>
#include <string_view>

namespace zorvik::test {
namespace {

constexpr uint32_t kHandleMark = 0x40000000;
constexpr size_t kFaultsKept = 5;

// One writer's progress through its texts and its traced calls.
struct WriterProgress {
  uint32_t next_text = 0;
  uint32_t next_entry = 0;
};

// The line without the trace depth's indentation (whole units of five blanks).
std::string_view WithoutIndent(std::string_view line) {
  size_t blanks = line.find_first_not_of(' ');
  if (blanks == std::string_view::npos) blanks = line.size();
  blanks -= blanks % 5;
  return line.substr(blanks);
}

}  // namespace

uint32_t LoadSessionHandle(uint32_t writer, uint32_t sequence) {
  return kHandleMark | (writer << 16) | (sequence & 0xFFFF);
}

std::string LoadText(uint32_t writer, uint32_t sequence) {
  char head[64];
  std::snprintf(head, sizeof(head), "load text writer=%u sequence=%u body=", writer, sequence);
  std::string text = head;
  for (uint32_t i = 0; i < 160; ++i) text += static_cast<char>('a' + (writer + sequence + i) % 26);
  return text;
}

LoadLogCount CheckLoadLog(const std::string& file, const std::vector<uint32_t>& writers,
                          uint32_t steps) {
  static const std::regex kText(R"(load text writer=(\d+) sequence=(\d+) body=[a-z]+)");
  static const std::regex kEntry(
      R"(\+\+\+zorvik::LampOn : SessionID=0x([0-9a-f]+) : \w{3} \w{3} \d\d \d\d:\d\d:\d\d \d{4})");
  static const std::regex kExit(
      R"(---zorvik::LampOn ERROR: Returned 0x80004005, LarkspurError=Invalid Session \(1\): )"
      R"(Elapsed Time = \d+ MS)");
  static const std::regex kHeader(
      R"(!!!! Process ID = 0x[0-9a-f]+ !!!!|&&&& Thread ID = 0x[0-9a-f]+ &&&&)");

  LoadLogCount count;
  std::map<uint32_t, WriterProgress> progress;
  for (uint32_t writer : writers) progress[writer] = {};
  auto fault = [&count](const std::string& what) {
    if (count.faults.size() < kFaultsKept) count.faults.push_back(what);
  };

  std::smatch match;
  size_t start = 0;
  while (start < file.size()) {
    size_t end = file.find("\r\n", start);
    if (end == std::string::npos) {
      fault("the file ends inside a line: " + file.substr(start, 120));
      break;
    }
    const std::string line(WithoutIndent(std::string_view(file).substr(start, end - start)));
    start = end + 2;
    if (line.empty() || line == "zorvik::Constructor" || line == "zorvik::Destructor" ||
        std::regex_match(line, kHeader)) {
      continue;
    }
    if (std::regex_match(line, match, kExit)) {
      ++count.exits;
      continue;
    }
    if (std::regex_match(line, match, kText)) {
      const uint32_t writer = std::stoul(match[1]);
      const uint32_t sequence = std::stoul(match[2]);
      auto found = progress.find(writer);
      if (found == progress.end() || line != LoadText(writer, sequence)) {
        fault("a text not as written: " + line);
      } else if (found->second.next_text++ != sequence) {
        fault("writer " + std::to_string(writer) + ": text " + std::to_string(sequence) +
              " where " + std::to_string(found->second.next_text - 1) + " was due");
      } else {
        ++count.texts;
      }
      continue;
    }
    if (std::regex_match(line, match, kEntry)) {
      const uint32_t handle = std::stoul(match[1], nullptr, 16);
      const uint32_t writer = (handle & ~kHandleMark) >> 16;
      const uint32_t sequence = handle & 0xFFFF;
      auto found = progress.find(writer);
      if ((handle & kHandleMark) == 0 || found == progress.end()) {
        fault("a traced call of no writer: " + line);
      } else if (found->second.next_entry++ != sequence) {
        fault("writer " + std::to_string(writer) + ": traced call " + std::to_string(sequence) +
              " where " + std::to_string(found->second.next_entry - 1) + " was due");
      } else {
        ++count.entries;
      }
      continue;
    }
    fault("a line no writer wrote: " + line.substr(0, 200));
  }
  for (const auto& [writer, done] : progress) {
    if (done.next_text != steps || done.next_entry != steps) {
      fault("writer " + std::to_string(writer) + " has " + std::to_string(done.next_text) +
            " texts and " + std::to_string(done.next_entry) + " traced calls of " +
            std::to_string(steps));
    }
  }
  return count;
}

}  // namespace zorvik::test
