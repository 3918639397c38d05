// Log files for tests: fresh paths, whole-file reads, the default log path.
#pragma once

#include <string>

namespace zorvik::test {

// A path in the temporary directory that no file occupies, unique to this
// process and call; the file is deleted when the object goes.
class TempLogFile {
 public:
  explicit TempLogFile(const char* stem);
  ~TempLogFile();
  TempLogFile(const TempLogFile&) = delete;
  TempLogFile& operator=(const TempLogFile&) = delete;

  const std::string& path() const { return path_; }
  std::wstring wide_path() const;
  // The file's bytes; empty when it does not exist.
  std::string Read() const;

 private:
  std::string path_;
};

// The whole content of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// The temporary directory's "larkspur.log", where the log goes by default.
std::string DefaultLogFilePath();

}  // namespace zorvik::test
