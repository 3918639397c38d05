// A file that appears under its name only when it is complete. It is written
// as a temporary file in the target's own folder, opened so that the system
// deletes it when its handle closes, also when the process is killed; Publish
// gives the complete file a second name by a hard link (or, where links are
// not supported, by a copy) and moves that name over the target. Until then
// the target is exactly what it was: an existing file untouched, a missing one
// still missing.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "unique_resource.h"

namespace zorvik::host {

class StagedFile {
 public:
  // Creates the temporary file for `target`. HRESULT_FROM_WIN32 of the
  // system's error when it cannot be made (ERROR_PATH_NOT_FOUND for a
  // missing folder), and ERROR_ACCESS_DENIED when the target is read-only
  // or a folder, which the file would not be allowed to replace.
  static HRESULT Create(const std::wstring& target, std::unique_ptr<StagedFile>* file);

  // Closing the file removes the temporary one; a published file stays.
  ~StagedFile() = default;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // The temporary file, open for reading and writing.
  HANDLE handle() const { return file_.get(); }
  const std::wstring& temporary_path() const { return temporary_; }

  // Flushes the file to disk and moves it over the target with
  // MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH. On failure the target
  // is as it was and the second name is gone again.
  HRESULT Publish();

  // Publishes by copy, as on a file system without hard links.
  void DisableLinksForTesting() { links_ = false; }

  // The name part a temporary file of `target` carries, so that a user who
  // finds one knows what it is: "<target>.zorvik_scan-unfinished-...".
  static std::wstring TemporaryMarker(const std::wstring& target);

 private:
  StagedFile(std::wstring target, std::wstring temporary, UniqueHandle file);
  HRESULT CopyTo(const std::wstring& path);

  std::wstring target_;
  std::wstring temporary_;
  UniqueHandle file_;
  bool links_ = true;
};

}  // namespace zorvik::host
