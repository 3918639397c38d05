// What a ScanSettings document asks for, gathered from the elements an XML
// reader reports (start, text, end, by local name). The XML itself is read
// by the platform's reader (escl_xml.cpp); every rule about what the
// elements may hold lives here, without Windows types, so it is tested and
// fuzzed on its own.
#pragma once

#include <string>
#include <vector>

#include "escl_settings.h"

namespace zorvik::host {

enum class SettingsProblem {
  kNone,
  // Not a well-formed ScanSettings document (answered 400).
  kMalformed,
  // Well-formed, but asks for something this scanner does not do (409).
  kUnsupported,
};

struct ReadSettings {
  EsclScanSettings settings;
  SettingsProblem problem = SettingsProblem::kNone;
  // One sentence for the client when there is a problem.
  std::string error;
};

// A body that is no ScanSettings document, and why.
ReadSettings MalformedSettings(const std::string& why);

// Elements are matched by their local names (clients differ in the
// namespace of InputSource and DocumentFormat); unknown elements are
// skipped; more than one scan region, another input source or unit than
// the platen in three-hundredths of an inch, an unknown colour mode or
// format, or a number that is not a plain decimal below ten million is a
// problem.
class ScanSettingsElements {
 public:
  // An element starts; `empty` when it ends at once (<a/>), with no End.
  void Start(const std::string& local_name, bool empty);
  // Text (or CDATA) inside the element that is open.
  void Text(const std::string& text);
  // The element that is open ends.
  void End();
  // True once the elements cannot make a ScanSettings document (a second
  // root, another root, an end with nothing open): reading on is pointless.
  bool stopped() const { return read_.problem == SettingsProblem::kMalformed; }
  // What the document asked for, once the reader reached its end.
  ReadSettings Finish() const;

 private:
  void Malformed(const std::string& why);
  void TakeValue(const std::string& value);

  ReadSettings read_;
  // The open elements, root first.
  std::vector<std::string> path_;
  std::string text_;
  int regions_ = 0;
  bool seen_root_ = false;
};

}  // namespace zorvik::host
