// A log sink for the tests: every WriteLog is appended to the file named by
// the environment variable ZORVIK_TEST_SINK_RECORD as a header line
// "<process id> <thread id> <byte count> <text length>\n" and the text.  It
// aggregates the free-threaded marshaler, so every thread calls it directly.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "log_sink.h"
#include "unique_resource.h"

namespace {

std::atomic<long> g_objects{0};

void Record(DWORD process_id, const char* text, DWORD bytes) {
  char path[MAX_PATH];
  if (GetEnvironmentVariableA("ZORVIK_TEST_SINK_RECORD", path, MAX_PATH) == 0) return;
  const size_t length = text != nullptr ? std::strlen(text) : 0;
  char header[96];
  std::snprintf(header, sizeof(header), "%lu %lu %lu %zu\n", process_id, GetCurrentThreadId(),
                bytes, length);
  std::string record = std::string(header) + std::string(text != nullptr ? text : "", length);
  zorvik::UniqueHandle file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file)
    WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
}

class RecordingLogSink final : public ILogSink {
 public:
  RecordingLogSink() { ++g_objects; }
  ~RecordingLogSink() { --g_objects; }

  HRESULT Initialize() {
    return CoCreateFreeThreadedMarshaler(static_cast<ILogSink*>(this), &marshaler_);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == __uuidof(ILogSink)) {
      *object = static_cast<ILogSink*>(this);
      AddRef();
      return S_OK;
    }
    if (riid == IID_IMarshal && marshaler_) return marshaler_->QueryInterface(riid, object);
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Flush() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE WriteLog(DWORD process_id, const char* text, DWORD bytes) override {
    Record(process_id, text, bytes);
    return S_OK;
  }

 private:
  std::atomic<ULONG> references_{1};
  Microsoft::WRL::ComPtr<IUnknown> marshaler_;
};

class SinkFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* sink = new (std::nothrow) RecordingLogSink();
    if (sink == nullptr) return E_OUTOFMEMORY;
    HRESULT result = sink->Initialize();
    if (SUCCEEDED(result)) result = sink->QueryInterface(riid, object);
    sink->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? ++g_objects : --g_objects;
    return S_OK;
  }
};

SinkFactory g_factory;

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID class_id, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (class_id != zorvik::kLogSinkClassId) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, object);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }
