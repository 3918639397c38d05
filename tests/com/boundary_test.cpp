// No C++ exception leaves the component: the boundary every export and COM
// method runs through, and the ZORVIK object's methods with the allocator
// refusing every request of the calling thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>

#include "com_boundary.h"
#include "enable_process_log.h"
#include "log_bits.h"
#include "log_test_files.h"
#include "scanner_object.h"
#include "zorvik.h"

// The allocator of this test program: refuses every request of the thread
// that RefusedAllocations names, so that an out-of-memory path can be walked
// on purpose.
namespace {
std::atomic<DWORD> g_refusing_thread{0};
}  // namespace

void* operator new(std::size_t size) {
  if (g_refusing_thread.load() == GetCurrentThreadId()) throw std::bad_alloc();
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace zorvik::test {
namespace {

// While it lives, every allocation of the calling thread fails.
class RefusedAllocations {
 public:
  RefusedAllocations() { g_refusing_thread = GetCurrentThreadId(); }
  ~RefusedAllocations() { g_refusing_thread = 0; }
  RefusedAllocations(const RefusedAllocations&) = delete;
  RefusedAllocations& operator=(const RefusedAllocations&) = delete;
};

constexpr DWORD kSentinel = 0xA5A5A5A5;

class BoundaryTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    log_ = new TempLogFile("boundary-tests");
    CLSID log_class{};
    ASSERT_EQ(S_OK, CoCreateGuid(&log_class));
    EnableProcessLogForTesting(log_class, log_->path());
  }
  static void TearDownTestSuite() {
    delete log_;
    log_ = nullptr;
  }

  static size_t Occurrences(const std::string& text, const std::string& line) {
    size_t count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
      ++count;
    return count;
  }

  static TempLogFile* log_;
};

TempLogFile* BoundaryTest::log_ = nullptr;

TEST_F(BoundaryTest, AnExceptionBecomesAnHresultAndOneLogLine) {
  const struct {
    const char* entry;
    bool with_error_code;
    HRESULT (*body)();
    HRESULT result;
    DWORD error_code;
    const char* line;
  } cases[] = {
      {"Test::OutOfMemory", true, []() -> HRESULT { throw std::bad_alloc(); }, E_OUTOFMEMORY,
       kErrOutOfMemory, "Test::OutOfMemory: out of memory, returning E_OUTOFMEMORY"},
      {"Test::OutOfMemoryNoCode", false, []() -> HRESULT { throw std::bad_alloc(); }, E_OUTOFMEMORY,
       kSentinel, "Test::OutOfMemoryNoCode: out of memory, returning E_OUTOFMEMORY"},
      {"Test::Runtime", true, []() -> HRESULT { throw std::runtime_error("no"); }, E_UNEXPECTED,
       kSentinel, "Test::Runtime: unexpected exception, returning E_UNEXPECTED"},
      {"Test::Number", true, []() -> HRESULT { throw 7; }, E_UNEXPECTED, kSentinel,
       "Test::Number: unexpected exception, returning E_UNEXPECTED"},
      {"Test::Plain", true, []() -> HRESULT { return S_FALSE; }, S_FALSE, kSentinel, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    DWORD error_code = kSentinel;
    EXPECT_EQ(c.result, CallAtBoundary(c.entry, c.with_error_code ? &error_code : nullptr, c.body));
    EXPECT_EQ(c.error_code, error_code);
    const std::string log = log_->Read();
    EXPECT_EQ(c.line != nullptr ? 1u : 0u,
              Occurrences(log, c.line != nullptr ? c.line : std::string(c.entry) + ":"));
  }
}

TEST_F(BoundaryTest, ObjectMethodsOutOfMemoryReturnInsteadOfThrowing) {
  CScanner* object = new CScanner(nullptr);
  object->AddRef();
  std::wstring text = L"a line for the log";
  std::wstring device = L"zorvik-boundary-device";
  HRESULT logged = E_FAIL;
  HRESULT opened = E_FAIL;
  DWORD handle = 0;
  DWORD error_code = kSentinel;
  {
    const RefusedAllocations refused;
    // The text is converted into a string of its own before it is logged.
    logged = object->LogString(LOG_ATTR_DETAIL, text.data());
    opened = object->OpenScannerSession(device.data(), 1, &handle, &error_code);
  }
  // Logging never reports its own failures (nor could the boundary's log line
  // be written without memory).
  EXPECT_EQ(S_OK, logged);
  EXPECT_TRUE(opened == E_OUTOFMEMORY ? error_code == kErrOutOfMemory : FAILED(opened))
      << std::hex << opened << " with error code " << std::dec << error_code;
  object->Release();
}

}  // namespace
}  // namespace zorvik::test
