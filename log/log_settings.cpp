// Reading the log settings from the registry and publishing the log sink.
#include "log_settings.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "log_bits.h"
#include "this_module.h"
#include "unique_resource.h"

namespace zorvik {

namespace {

constexpr char kSettingsKeyFormat[] = ZORVIK_LOG_SETTINGS_KEY_BASE "%s";

// All three are constant-initialised, so a logger constructed during another
// object's static initialisation still finds them ready.
std::atomic<CLogSettings*> g_instance{nullptr};
std::mutex g_instance_guard;
// The thread creating the instance, while it does; only that thread writes it.
std::atomic<DWORD> g_creating_thread_id{0};

// Frees the instance when the module unloads (or the process ends), unless it
// holds the sink: see Instance.
struct InstanceRelease {
  ~InstanceRelease() {
    CLogSettings* settings = g_instance.exchange(nullptr);
    if (settings != nullptr && !settings->holds_sink()) delete settings;
  }
} g_instance_release;

// Reads a value of exactly the buffer's size or less; false leaves the
// buffer untouched as far as the caller is concerned.
bool QueryValue(HKEY key, const char* name, void* buffer, DWORD size, DWORD* read) {
  *read = size;
  return RegQueryValueExA(key, name, nullptr, nullptr, static_cast<BYTE*>(buffer), read) ==
         ERROR_SUCCESS;
}

void QueryNumber(HKEY key, const char* name, uint32_t* field) {
  uint32_t value = 0;
  DWORD read = 0;
  if (QueryValue(key, name, &value, sizeof(value), &read)) *field = value;
}

// The log file path must fit MAX_PATH with its terminator; a value that does
// not (or that is stored without a terminator and fills the buffer) is ignored.
void QueryPath(HKEY key, const char* name, char (&field)[MAX_PATH]) {
  char value[MAX_PATH] = {};
  DWORD read = 0;
  if (!QueryValue(key, name, value, sizeof(value), &read)) return;
  if (read == sizeof(value) && value[read - 1] != '\0') return;
  std::memcpy(field, value, sizeof(field));
}

}  // namespace

CLogSettings* CLogSettings::Instance(REFCLSID class_id) {
  if (CLogSettings* settings = g_instance.load(std::memory_order_acquire)) return settings;
  // Creating the sink may run a message loop that calls back into the
  // component on this thread: refuse that nested request instead of waiting
  // for ourselves.
  if (g_creating_thread_id.load() == GetCurrentThreadId()) return nullptr;
  std::lock_guard<std::mutex> guard(g_instance_guard);
  if (CLogSettings* settings = g_instance.load(std::memory_order_acquire)) return settings;
  g_creating_thread_id = GetCurrentThreadId();
  CLogSettings* settings = new (std::nothrow) CLogSettings(class_id);
  g_creating_thread_id = 0;
  g_instance.store(settings, std::memory_order_release);
  return settings;
}

CLogSettings::CLogSettings(REFCLSID class_id) : class_id_(class_id) {
  ReadRegistry();
  if (log_destination_ & LOG_DEST_SINK) CreateSink();
}

CLogSettings::~CLogSettings() = default;

void CLogSettings::ReadRegistry() {
  wchar_t wide_id[64];
  if (StringFromGUID2(class_id_, wide_id, ARRAYSIZE(wide_id)) == 0) return;
  char class_id_text[MAX_PATH];
  if (WideCharToMultiByte(CP_ACP, 0, wide_id, -1, class_id_text, sizeof(class_id_text), nullptr,
                          nullptr) == 0)
    return;
  char key_name[MAX_PATH + sizeof(kSettingsKeyFormat)];
  std::snprintf(key_name, sizeof(key_name), kSettingsKeyFormat, class_id_text);

  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_name, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return;
  UniqueRegKey key(opened);
  QueryNumber(key.get(), ZORVIK_LOG_ENABLED_VALUE, &log_enabled_);
  QueryNumber(key.get(), ZORVIK_LOG_FILTER_VALUE, &log_filter_);
  QueryNumber(key.get(), ZORVIK_LOG_DESTINATION_VALUE, &log_destination_);
  QueryPath(key.get(), ZORVIK_LOG_FILE_VALUE, log_file_);
}

void CLogSettings::CreateSink() {
  creating_thread_id_ = GetCurrentThreadId();
  if (FAILED(CoCreateInstance(kLogSinkClassId, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&sink_)))) return;
  PinThisModule();
  if (FAILED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_ALL,
                              IID_PPV_ARGS(&interface_table_))))
    return;
  DWORD cookie = 0;
  if (SUCCEEDED(
          interface_table_->RegisterInterfaceInGlobal(sink_.Get(), __uuidof(ILogSink), &cookie)))
    sink_cookie_ = cookie;
}

bool CLogSettings::IsEnabledFor(uint32_t attributes) const {
  return log_enabled_ != 0 && log_destination_ != 0 &&
         (log_filter_ == 0 || (log_filter_ & attributes) == 0);
}

Microsoft::WRL::ComPtr<ILogSink> CLogSettings::GetSink() const {
  Microsoft::WRL::ComPtr<ILogSink> sink;
  if (GetCurrentThreadId() != creating_thread_id_ && sink_cookie_ != 0 && interface_table_) {
    interface_table_->GetInterfaceFromGlobal(sink_cookie_, __uuidof(ILogSink),
                                             reinterpret_cast<void**>(sink.GetAddressOf()));
    return sink;
  }
  return sink_;
}

}  // namespace zorvik
