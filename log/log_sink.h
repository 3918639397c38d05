// The outside log sink component: a COM class that receives every log text
// when the log destination asks for it.  The component only ever calls
// WriteLog; the sink decides what to do with the text.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace zorvik {

// {6AD93CD3-430A-46D4-AA03-BA0F9BCF489A}
inline constexpr CLSID kLogSinkClassId = {
    0x6AD93CD3, 0x430A, 0x46D4, {0xAA, 0x03, 0xBA, 0x0F, 0x9B, 0xCF, 0x48, 0x9A}};

}  // namespace zorvik

// {E32B0B26-0EDA-4E0A-9EB0-4BF4CC60842F}
MIDL_INTERFACE("E32B0B26-0EDA-4E0A-9EB0-4BF4CC60842F")
ILogSink : public IUnknown {
 public:
  // Asks the sink to store whatever it still buffers.  The component never
  // calls it; hosts that own a sink may.
  virtual HRESULT STDMETHODCALLTYPE Flush() = 0;

  // One finished log text: `bytes` counts the text and its terminating zero.
  virtual HRESULT STDMETHODCALLTYPE WriteLog(DWORD process_id, const char* text, DWORD bytes) = 0;
};
__CRT_UUID_DECL(ILogSink, 0xE32B0B26, 0x0EDA, 0x4E0A, 0x9E, 0xB0, 0x4B, 0xF4, 0xCC, 0x60, 0x84,
                0x2F)
