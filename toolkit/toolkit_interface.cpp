// The toolkit binding: loading, resolving the entry table, the thin calls
// and the teardown that ends the toolkit and unloads it.
#include "toolkit_interface.h"

#include "toolkit_library.h"

namespace zorvik {

namespace {

// GetProcAddress hands out a generic function pointer; going through
// void(*)() is the documented way to convert it to the entry point's real
// type without a cast-function-type warning.
template <typename EntryPoint>
void ResolveEntry(HMODULE library, const char* name, EntryPoint* entry) {
  *entry =
      reinterpret_cast<EntryPoint>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace

CToolkitInterface::CToolkitInterface(uint16_t io_type) : io_type_(io_type) {
  if (io_type != kToolkitUsbIoType) return;
  library_ = LoadToolkitLibrary();
  if (!library_) return;
  Resolve(library_.get());
}

CToolkitInterface::~CToolkitInterface() {
  if (!library_) return;
  if (entries_.TerminateDriver) entries_.TerminateDriver();
  library_.reset();
}

int CToolkitInterface::Resolve(HMODULE library) {
  missing_entry_point_ = nullptr;
#define ZORVIK_TOOLKIT_RESOLVE(name, ...)       \
  ResolveEntry(library, #name, &entries_.name); \
  if (!entries_.name && !missing_entry_point_) missing_entry_point_ = #name;
  ZORVIK_TOOLKIT_ENTRY_POINTS(ZORVIK_TOOLKIT_RESOLVE, ZORVIK_TOOLKIT_RESOLVE)
#undef ZORVIK_TOOLKIT_RESOLVE
  valid_ = missing_entry_point_ == nullptr ? 1 : 0;
  return valid_;
}

#define ZORVIK_TOOLKIT_DEFINE_CALL(name, parameters, arguments) \
  int32_t CToolkitInterface::name parameters {                  \
    if (!valid_) return 0;                                      \
    return entries_.name arguments;                             \
  }
#define ZORVIK_TOOLKIT_NO_CALL(name, parameters, arguments)
ZORVIK_TOOLKIT_ENTRY_POINTS(ZORVIK_TOOLKIT_DEFINE_CALL, ZORVIK_TOOLKIT_NO_CALL)
#undef ZORVIK_TOOLKIT_DEFINE_CALL
#undef ZORVIK_TOOLKIT_NO_CALL

}  // namespace zorvik
