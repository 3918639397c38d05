// The diagnostic log's configuration for the whole process, read once from
// HKLM\Software\Quennell\Vistrel\Larkspur\{class id}, and the outside log sink
// it creates when the configuration asks for one.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include <cstdint>

#include "log_sink.h"

namespace zorvik {

class CLogSettings {
 public:
  // The process's settings, created with `class_id` by the first caller.
  // Loggers on any thread may use them until the module unloads; they are
  // freed then, unless they hold the sink. Releasing the sink, and revoking
  // it from the global interface table, are COM calls that the module's
  // entry point may not make, so settings that created a sink pin the module
  // in the process instead: it is never unloaded again, and nothing is lost
  // at each load and unload.
  // Returns null only to a thread that asks again while it is itself still
  // creating the instance (a nested call from the sink's creation).
  static CLogSettings* Instance(REFCLSID class_id);

  virtual ~CLogSettings();
  CLogSettings(const CLogSettings&) = delete;
  CLogSettings& operator=(const CLogSettings&) = delete;

  // True when a line with these function-attribute bits is written: logging
  // on, some destination chosen, and no bit of `attributes` filtered out.
  bool IsEnabledFor(uint32_t attributes) const;

  // A reference to the sink that the calling thread may use, or null.
  Microsoft::WRL::ComPtr<ILogSink> GetSink() const;
  // True once a sink was created (and the module pinned for it).
  bool holds_sink() const { return sink_ != nullptr; }

  uint32_t log_destination() const { return log_destination_; }
  // The configured log file path; empty means the temporary directory's default.
  const char* log_file() const { return log_file_; }

 private:
  explicit CLogSettings(REFCLSID class_id);
  void ReadRegistry();
  void CreateSink();

  Microsoft::WRL::ComPtr<IGlobalInterfaceTable> interface_table_;
  uint32_t log_enabled_ = 0;
  uint32_t log_filter_ = 0;
  uint32_t log_destination_ = 0;
  DWORD creating_thread_id_ = 0;
  char log_file_[MAX_PATH] = {};
  DWORD sink_cookie_ = 0;
  CLSID class_id_;
  Microsoft::WRL::ComPtr<ILogSink> sink_;
};

}  // namespace zorvik
