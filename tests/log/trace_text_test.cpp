// The call trace's entry and exit texts, character for character.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "sample_trace_time.h"
#include "trace_text.h"

namespace zorvik {
namespace {

using namespace std::string_literals;

using test::SampleTraceTime;

TEST(TraceText, EntryTexts) {
  struct Case {
    const char* name;
    TraceEntryText entry;
    std::string expected;
  };
  const Case cases[] = {
      {"first entry of a process",
       {"zorvik::StartScan", 3, 0, true, 0x1f4, true, 0x9c8, SampleTraceTime()},
       "\n!!!! Process ID = 0x1f4 !!!!\n"
       "\n&&&& Thread ID = 0x9c8 &&&&\n"
       "\n+++zorvik::StartScan : SessionID=0x3 : Sat Dec 05 01:38:57 2026\n\0"s},
      {"same thread, no session",
       {"zorvik::OpenScannerSession", 0, 0, false, 0x1f4, false, 0x9c8, SampleTraceTime()},
       "\n+++zorvik::OpenScannerSession : Sat Dec 05 01:38:57 2026\n\0"s},
      {"another thread, nested two deep, session in hexadecimal",
       {"CScannerLock::Lock", 0xf1e2d3c4, 2, false, 0x1f4, true, 0xabc, SampleTraceTime()},
       "\n&&&& Thread ID = 0xabc &&&&\n"
       "\n          +++CScannerLock::Lock : SessionID=0xf1e2d3c4 : Sat Dec 05 01:38:57 2026\n\0"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ostringstream out;
    WriteTraceEntry(out, c.entry);
    EXPECT_EQ(c.expected, out.str());
  }
}

TEST(TraceText, ExitTexts) {
  struct Case {
    const char* name;
    TraceExitText exit;
    std::string expected;
  };
  const Case cases[] = {
      {"success",
       {"zorvik::StartScan", 0, 0, true, 0, 7},
       "---zorvik::StartScan Returned 0x0, LarkspurError=No Error (0): Elapsed Time = 7 MS\n\n\0"s},
      {"failure",
       {"zorvik::LampOn", 0, static_cast<int32_t>(0x80004005), true, 4, 15},
       "---zorvik::LampOn ERROR: Returned 0x80004005, LarkspurError=Scanner Not Locked (4): "
       "Elapsed Time = 15 MS\n\n\0"s},
      {"no error-code pointer (the early E_POINTER return)",
       {"zorvik::GetLampStatus", 0, 0, false, 0, 0},
       "---zorvik::GetLampStatus Returned 0x0: Elapsed Time = 0 MS\n\n\0"s},
      {"a success code other than 0 is shown as an error",
       {"zorvik::ReadScan", 0, 1, true, 100, 2},
       "---zorvik::ReadScan ERROR: Returned 0x1, LarkspurError=ADF is Jammed (64): "
       "Elapsed Time = 2 MS\n\n\0"s},
      {"unassigned code, result 0, nested",
       {"CScannerLock::Unlock", 1, 0, true, 17, 1234},
       "     ---CScannerLock::Unlock Returned 0x0, LarkspurError=no definition (11): "
       "Elapsed Time = 1234 MS\n\n\0"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ostringstream out;
    WriteTraceExit(out, c.exit);
    EXPECT_EQ(c.expected, out.str());
  }
}

TEST(TraceText, TimeIsWrittenLikeAsctimeWithoutTheNewline) {
  std::tm time{};
  time.tm_year = 70;
  time.tm_mday = 1;
  time.tm_wday = 4;
  std::ostringstream out;
  WriteTraceTime(out, time);
  EXPECT_EQ("Thu Jan 01 00:00:00 1970", out.str());

  time.tm_wday = 9;  // out of range: no read past the name table
  out.str("");
  WriteTraceTime(out, time);
  EXPECT_EQ("??? Jan 01 00:00:00 1970", out.str());
}

}  // namespace
}  // namespace zorvik
