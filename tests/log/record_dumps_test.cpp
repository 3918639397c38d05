// Tests of the record dumps: whole texts for records whose every field is
// distinct, then tables of the flag lists, unknown values, number bases and
// bounded text fields.
#include "record_dumps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace zorvik {
namespace {

using namespace std::string_literals;

// Fills a record with a byte pattern first, so a dump that reads a gap or an
// unused area shows it.
template <typename Record>
Record Garbage() {
  Record record;
  std::memset(&record, 0xEE, sizeof(record));
  return record;
}

// Copies a text and its terminating zero into a fixed-size field.
template <typename Char, size_t N>
void SetText(Char (&field)[N], const char* text) {
  std::memcpy(field, text, std::min(N, std::strlen(text) + 1));
}

SCANNER_CAPABILITIES SampleCapabilities() {
  auto caps = Garbage<SCANNER_CAPABILITIES>();
  SetText(caps.byModelNumber, "7310");
  caps.wLampWarmupTime = 11;
  caps.wOpticalResolution = 1200;
  caps.wMaximumXResolution = 2400;
  caps.wMaximumYResolution = 4800;
  caps.wMinimumResolution = 50;
  caps.dwMaximumWidth = 100000;
  caps.dwMinimumWidth = 3;
  caps.dwMaximumHeight = 3508;
  caps.dwMinimumHeight = 4;
  caps.wRawPixelOrder = 1;
  caps.wPixelPacking = 1;
  caps.dwScanModesSupported = 0x7;
  caps.dwScanOptionsSupported = 0x3;
  caps.wGreyChannelsSupported = 0xF;
  caps.wPaperPath = 5;
  caps.wGammaTableSize = 4096;
  const BYTE color[8] = {8, 16, 24, 0, 32, 0, 0, 0};
  const BYTE grey[8] = {1, 8, 12, 16, 0, 0, 0, 0};
  std::memcpy(caps.byColorBitsPerChannel, color, sizeof(color));
  std::memcpy(caps.byGreyBitsPerChannel, grey, sizeof(grey));
  return caps;
}

BUFFER_INFO SampleBufferInfo() {
  auto info = Garbage<BUFFER_INFO>();
  info.dwPixelWidth = 2550;
  info.dwPixelHeight = 3508;
  info.dwBytesPerLine = 76500;
  return info;
}

SCANNER_PARAMETERS SampleParameters() {
  auto params = Garbage<SCANNER_PARAMETERS>();
  params.dwLeft = 100000;
  params.dwTop = 200;
  params.dwWidth = 2550;
  params.dwLength = 3508;
  params.dwScanMode = 1;
  params.dwScanOptions = 0x3;
  params.byBitsPerChannel = 16;
  params.wXResolution = 300;
  params.wYResolution = 600;
  params.wGreyChannel = 2;
  params.wScanMethod = 2;
  return params;
}

TOOLKIT_ABILITY SampleAbility() {
  auto ability = Garbage<TOOLKIT_ABILITY>();
  SetText(ability.VendorName, "KELMAR");
  SetText(ability.ModelName, "Talon 7310");
  SetText(ability.FirmwareVersion, "1.07");
  SetText(ability.PortType, "USB");
  SetText(ability.PortAddress, "A1");
  const uint8_t halftone[8] = {1, 2, 3, 4, 5, 6, 7, 200};
  std::memcpy(ability.HalfToneIndex, halftone, sizeof(halftone));
  ability.ScannerCapability = 0xDEADBEEF;
  ability.DriverFunctionSupport = 0x80000001;
  ability.FlatbedMaxWidth = 2550;
  ability.FlatbedMaxLength = 3508;
  ability.AdfMaxWidth = 2551;
  ability.AdfMaxLength = 4200;
  ability.OpticalRes = 1200;
  ability.MaxGreyXRes = 2400;
  ability.MaxGreyYRes = 4800;
  ability.MaxColorXRes = 2401;
  ability.MaxColorYRes = 4801;
  ability.ImageType = 0x1F;
  ability.ScanMethod = 0xB;
  ability.ChannelsPerPixel = 0xC0;
  ability.BitsPerChannel = 0x10;
  ability.HalfToneNumber = 11;
  ability.ErrorDiffusionNumber = 12;
  ability.LineartPixelBound = 13;
  ability.GrayPixelBound = 14;
  ability.ColorPixelBound = 15;
  ability.HalftonePixelBound = 16;
  ability.ErrorDiffusionPixelBound = 17;
  ability.Gray4BitsPixelBound = 18;
  ability.ScannerCapability2 = 0xABC0012;
  ability.DriverFunctionSupport2 = 0xF0;
  ability.XpaMaxWidth = 1000;
  ability.XpaMaxLength = 1500;
  return ability;
}

TOOLKIT_SCAN_PARAMETER SampleScanParameter() {
  auto params = Garbage<TOOLKIT_SCAN_PARAMETER>();
  params.PixelLeft = 10;
  params.PixelTop = 20;
  params.PixelWidth = 2550;
  params.PixelLength = 3508;
  params.PixelNum = 2551;
  params.LineNum = 3509;
  params.ScanMode = 3;
  params.ScanMethod = 1;
  params.BitsPerPixel = 24;
  params.ScanSpeed = 5;
  params.Contrast = -2;
  params.Brightness = 17;
  params.HTPatternNo = 6;
  params.Highlight = 250;
  params.Shadow = 7;
  params.ColorFilter = 8;
  params.Invert = 9;
  params.ReadStatus = 12;
  params.ExtendedScanParameter = 0xBEEF;
  params.RedExposure = 300;
  params.GreenExposure = 301;
  params.BlueExposure = 302;
  params.XRes = 600;
  params.YRes = 1200;
  params.Reserved36 = 0;
  return params;
}

template <typename Record>
std::string Dump(void (*dump)(std::ostream&, const Record&), const Record& record) {
  std::ostringstream out;
  dump(out, record);
  return out.str();
}

// The lines of one finished text, its closing zero character removed.
std::vector<std::string> LinesOf(std::string text) {
  std::vector<std::string> lines;
  if (!text.empty() && text.back() == '\0') text.pop_back();
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

testing::AssertionResult HasLine(const std::string& text, const std::string& line) {
  const std::vector<std::string> lines = LinesOf(text);
  if (std::find(lines.begin(), lines.end(), line) != lines.end()) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "no line \"" << line << "\" in:\n" << text;
}

// One change to a sample record and the lines it must produce.
template <typename Record>
struct LineCase {
  const char* what;
  void (*change)(Record&);
  std::vector<std::string> lines;
};

template <typename Record>
void ExpectLines(void (*dump)(std::ostream&, const Record&), Record (*sample)(),
                 const std::vector<LineCase<Record>>& cases) {
  for (const LineCase<Record>& c : cases) {
    SCOPED_TRACE(c.what);
    Record record = sample();
    c.change(record);
    const std::string text = Dump(dump, record);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ('\0', text.back());
    for (const std::string& line : c.lines) EXPECT_TRUE(HasLine(text, line));
  }
}

TEST(RecordDumps, ScannerCapabilitiesWholeTextEndsWithoutNewline) {
  EXPECT_EQ(
      " <<< SCANNER CAPABILITIES >>> \n"
      "ModelNumber = 7310\n"
      "Lamp Warmup Time = 11\n"
      "OpticalResolution = 1200\n"
      "Maximum X Resolution = 2400\n"
      "Maximum Y Resolution = 4800\n"
      "Minimum Resolution = 50\n"
      "Maximum Width = 100000\n"
      "Minimum Width = 3\n"
      "Maximum Height = 3508\n"
      "Minimum Height = 4\n"
      "Pixel Order = RGB\n"
      "Pixel Packing = PACKED\n"
      "Scan Modes Supported = COLOR | GREYSCALE | BW\n"
      "Scan Options Supported = PREVIEW | PIXEL COORDINATES\n"
      "Grey Channels Supported = GREEN | RED | BLUE | NTSC Grey \n"
      "Scanner Paper Path = Scroll\n"
      "Gamma Table Size = 4096\n"
      "Supported Color Bits per pixel = 8, 16, 24, \n"
      "Supported Grey Bits per pixel = 1, 8, 12, 16, \0"s,
      Dump(DumpScannerCapabilities, SampleCapabilities()));
}

TEST(RecordDumps, BufferInfoWholeText) {
  EXPECT_EQ(
      " << BUFFER_INFO >>> \n"
      "Bytes Per Line = 76500\n"
      "Pixel Width = 2550\n"
      "Pixel Height = 3508\n"
      "\0"s,
      Dump(DumpBufferInfo, SampleBufferInfo()));
}

TEST(RecordDumps, ScannerParametersWholeText) {
  EXPECT_EQ(
      " << SCANNER PARAMETERS >>> \n"
      "PixelLeft = 100000\n"
      "PixelTop = 200\n"
      "PixelWidth = 2550\n"
      "PixelLength = 3508\n"
      "Scan Mode = COLOR\n"
      "Scan Options = PREVIEW | Pixel Coordinates\n"
      "Bits Per Channel = 16\n"
      "X Resolution = 300\n"
      "Y Resolution = 600\n"
      "Grey Channel = GREEN\n"
      "Scan Method = XPA Positive\n"
      "\0"s,
      Dump(DumpScannerParameters, SampleParameters()));
}

TEST(RecordDumps, ToolkitAbilityWholeTextSwitchesBaseWhereLabelsSay) {
  EXPECT_EQ(
      " <<< TALON CABABILITY >>> \n"
      "Vendor Name=KELMAR\n"
      "Model Name=Talon 7310\n"
      "Firmware Version=1.07\n"
      "Port Type=USB\n"
      "Port Address=A1\n"
      "HalfTone Index=1 2 3 4 5 6 7 200 \n"
      "Scanner Capability=0xdeadbeef\n"
      "Scanner Capability 2=0xabc0012\n"
      "Driver Function Support=0x80000001\n"
      "Driver Function Support 2=0xf0\n"
      "Flatbed Max Width=2550\n"
      "Flatbed Max Length=3508\n"
      "ADF Max Width=2551\n"
      "ADF Max Length=4200\n"
      "XPA Max Width=1000\n"
      "XPA Max Length=1500\n"
      "Optical Res=1200\n"
      "Max Grey X Res=2400\n"
      "Max Grey Y Res=4800\n"
      "Max Color X Res=2401\n"
      "Max Color Y Res=4801\n"
      "ImageType=0x1f\n"
      "ScanMethod=0xb\n"
      "Channels Per Pixel (bit 7, 6) =0xc0\n"
      "Bits Per Channel =0x10\n"
      "HalfTone Number=11\n"
      "Error Diffusion Number=12\n"
      "Lineart Pixel Bound=13\n"
      "Gray Pixel Bound=14\n"
      "Color Pixel Bound=15\n"
      "Halftone Pixel Bound=16\n"
      "Error Diffusion Pixel Bound=17\n"
      "Gray 4 bits Pixel Bound=18\n"
      "\0"s,
      Dump(DumpToolkitAbility, SampleAbility()));
}

TEST(RecordDumps, ToolkitScanParameterWholeText) {
  EXPECT_EQ(
      " <<< TALON PARAMETER >>> \n"
      "Pixel Left=10, Pixel Top=20, Pixel Width=2550, Pixel Length=3508\n"
      "Pixel Num=2551\n"
      "Line Num=3509\n"
      "Scan Mode=3\n"
      "Scan Method=1\n"
      "Bits Per Pixel=24\n"
      "Scan Speed=5\n"
      "Contrast=65534\n"
      "Brightness=17\n"
      "HTPatternNo=6\n"
      "Highlight=250\n"
      "Shadow=7\n"
      "Color Filter=8\n"
      "Invert=9\n"
      "Read Status=12\n"
      "Extended Scan Parameter=0xbeef\n"
      "Red Exposure=300\n"
      "Green Exposure=301\n"
      "Blue Exposure=302\n"
      "X Res=600\n"
      "Y Res=1200\n"
      "\0"s,
      Dump(DumpToolkitScanParameter, SampleScanParameter()));
}

TEST(RecordDumps, ScannerCapabilitiesFlagListsAndBoundedFields) {
  using Caps = SCANNER_CAPABILITIES;
  ExpectLines<Caps>(DumpScannerCapabilities, SampleCapabilities,
                    {
                        {"modes without colour start with the separator",
                         [](Caps& c) { c.dwScanModesSupported = 0x6; },
                         {"Scan Modes Supported = | GREYSCALE | BW"}},
                        {"colour alone",
                         [](Caps& c) { c.dwScanModesSupported = 0x1; },
                         {"Scan Modes Supported = COLOR "}},
                        {"unlisted mode bits are left out",
                         [](Caps& c) { c.dwScanModesSupported = 0xFFF8; },
                         {"Scan Modes Supported = "}},
                        {"pixel coordinates alone",
                         [](Caps& c) { c.dwScanOptionsSupported = 0x2; },
                         {"Scan Options Supported = | PIXEL COORDINATES"}},
                        {"green comes first",
                         [](Caps& c) { c.wGreyChannelsSupported = 0x3; },
                         {"Grey Channels Supported = GREEN | RED "}},
                        {"grey channels without green",
                         [](Caps& c) { c.wGreyChannelsSupported = 0xD; },
                         {"Grey Channels Supported = | RED | BLUE | NTSC Grey "}},
                        {"pixel order and packing other than 1",
                         [](Caps& c) {
                           c.wRawPixelOrder = 2;
                           c.wPixelPacking = 0;
                         },
                         {"Pixel Order = BGR", "Pixel Packing = PLANAR"}},
                        {"paper path is not consulted",
                         [](Caps& c) { c.wPaperPath = 0; },
                         {"Scanner Paper Path = Scroll"}},
                        {"bit depths stop at the first zero",
                         [](Caps& c) {
                           const BYTE color[8] = {8, 16, 0, 24, 0, 0, 0, 0};
                           std::memcpy(c.byColorBitsPerChannel, color, sizeof(color));
                         },
                         {"Supported Color Bits per pixel = 8, 16, "}},
                        {"all-zero bit depths give the label alone",
                         [](Caps& c) {
                           std::memset(c.byColorBitsPerChannel, 0, sizeof(c.byColorBitsPerChannel));
                           std::memset(c.byGreyBitsPerChannel, 0, sizeof(c.byGreyBitsPerChannel));
                         },
                         {"Supported Color Bits per pixel = ", "Supported Grey Bits per pixel = "}},
                        {"full bit-depth lists stop at their eighth entry",
                         [](Caps& c) {
                           const BYTE full[8] = {1, 2, 3, 4, 5, 6, 7, 8};
                           std::memcpy(c.byColorBitsPerChannel, full, sizeof(full));
                           std::memcpy(c.byGreyBitsPerChannel, full, sizeof(full));
                         },
                         {"Supported Color Bits per pixel = 1, 2, 3, 4, 5, 6, 7, 8, ",
                          "Supported Grey Bits per pixel = 1, 2, 3, 4, 5, 6, 7, 8, "}},
                        {"model number without a zero byte stops at its field",
                         [](Caps& c) {
                           std::memcpy(c.byModelNumber, "ABCDEFGHIJKLMNOP", 16);
                           c.wLampWarmupTime = 0x5A5A;  // "ZZ" if the text ran on
                         },
                         {"ModelNumber = ABCDEFGHIJKLMNOP"}},
                    });
}

TEST(RecordDumps, ScannerParametersNamesAndUnknownValues) {
  using Params = SCANNER_PARAMETERS;
  ExpectLines<Params>(
      DumpScannerParameters, SampleParameters,
      {
          {"greyscale", [](Params& p) { p.dwScanMode = 2; }, {"Scan Mode = GREYSCALE"}},
          {"black and white", [](Params& p) { p.dwScanMode = 4; }, {"Scan Mode = BW"}},
          {"unknown scan mode turns the following numbers hexadecimal",
           [](Params& p) { p.dwScanMode = 3; },
           {"Scan Mode = unknown type: 0x3", "Bits Per Channel = 10", "X Resolution = 12c",
            "Y Resolution = 258", "PixelLeft = 100000"}},
          {"preview alone", [](Params& p) { p.dwScanOptions = 0x1; }, {"Scan Options = PREVIEW "}},
          {"pixel coordinates alone, unlisted bits left out",
           [](Params& p) { p.dwScanOptions = 0x6; },
           {"Scan Options = | Pixel Coordinates"}},
          {"red keeps its blank", [](Params& p) { p.wGreyChannel = 1; }, {"Grey Channel = RED "}},
          {"blue", [](Params& p) { p.wGreyChannel = 4; }, {"Grey Channel = BLUE "}},
          {"ntsc", [](Params& p) { p.wGreyChannel = 8; }, {"Grey Channel = NTSC "}},
          {"grey channels are values, not flags",
           [](Params& p) { p.wGreyChannel = 3; },
           {"Grey Channel = unknown type: 0x3"}},
          {"flatbed", [](Params& p) { p.wScanMethod = 0; }, {"Scan Method = Flatbed"}},
          {"feeder", [](Params& p) { p.wScanMethod = 1; }, {"Scan Method = ADF"}},
          {"negative", [](Params& p) { p.wScanMethod = 3; }, {"Scan Method = XPA Negative"}},
          {"unknown scan method",
           [](Params& p) { p.wScanMethod = 0xFFFF; },
           {"Scan Method = unknown type: 0xffff"}},
      });
}

TEST(RecordDumps, ToolkitAbilityTextsNeverRunPastTheirField) {
  using Ability = TOOLKIT_ABILITY;
  ExpectLines<Ability>(
      DumpToolkitAbility, SampleAbility,
      {
          {"vendor name fills its field",
           [](Ability& a) { std::memcpy(a.VendorName, "VVVVVVVVVVVV", 12); },
           {"Vendor Name=VVVVVVVVVVVV", "Model Name=Talon 7310"}},
          {"model name fills its field",
           [](Ability& a) { std::memcpy(a.ModelName, "MMMMMMMMMMMMMMMMMMMM", 20); },
           {"Model Name=MMMMMMMMMMMMMMMMMMMM"}},
          {"firmware version fills its field",
           [](Ability& a) { std::memcpy(a.FirmwareVersion, "FFFFFFFF", 8); },
           {"Firmware Version=FFFFFFFF"}},
          {"port type fills its field",
           [](Ability& a) { std::memcpy(a.PortType, "TTTTTTTTTTTT", 12); },
           {"Port Type=TTTTTTTTTTTT"}},
          {"port address fills its field, halftone bytes follow",
           [](Ability& a) {
             std::memcpy(a.PortAddress, "AAAAAAAA", 8);
             std::memset(a.HalfToneIndex, 'H', sizeof(a.HalfToneIndex));
           },
           {"Port Address=AAAAAAAA"}},
          {"text ends at its first zero byte",
           [](Ability& a) { std::memcpy(a.VendorName, "AB\0CD", 6); },
           {"Vendor Name=AB"}},
          {"empty text", [](Ability& a) { a.PortType[0] = '\0'; }, {"Port Type="}},
          {"hexadecimal values are unsigned, without leading zeros",
           [](Ability& a) {
             a.ScannerCapability = 0xFFFFFFFF;
             a.DriverFunctionSupport = 0;
             a.ImageType = 0xFFFF;
             a.BitsPerChannel = 0x0F;
           },
           {"Scanner Capability=0xffffffff", "Driver Function Support=0x0", "ImageType=0xffff",
            "Bits Per Channel =0xf"}},
      });
}

TEST(RecordDumps, ToolkitScanParameterSignedBytesWidenToSixteenBits) {
  using Params = TOOLKIT_SCAN_PARAMETER;
  ExpectLines<Params>(
      DumpToolkitScanParameter, SampleScanParameter,
      {
          {"minus one", [](Params& p) { p.Contrast = -1; }, {"Contrast=65535"}},
          {"most negative", [](Params& p) { p.Brightness = -128; }, {"Brightness=65408"}},
          {"most positive", [](Params& p) { p.Contrast = 127; }, {"Contrast=127"}},
          {"zero", [](Params& p) { p.Brightness = 0; }, {"Brightness=0"}},
      });
}

// A dump is one text of its own: it starts in decimal whatever the stream was
// left in, and hands the stream's formatting back unchanged.
TEST(RecordDumps, DumpsIgnoreAndRestoreTheCallersStreamFormat) {
  struct Case {
    const char* what;
    void (*dump)(std::ostream&);
  };
  const Case cases[] = {
      {"capabilities", [](std::ostream& o) { DumpScannerCapabilities(o, SampleCapabilities()); }},
      {"buffer info", [](std::ostream& o) { DumpBufferInfo(o, SampleBufferInfo()); }},
      {"parameters", [](std::ostream& o) { DumpScannerParameters(o, SampleParameters()); }},
      {"parameters, unknown mode",
       [](std::ostream& o) {
         SCANNER_PARAMETERS params = SampleParameters();
         params.dwScanMode = 3;
         DumpScannerParameters(o, params);
       }},
      {"ability", [](std::ostream& o) { DumpToolkitAbility(o, SampleAbility()); }},
      {"scan parameter",
       [](std::ostream& o) { DumpToolkitScanParameter(o, SampleScanParameter()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::ostringstream fresh;
    c.dump(fresh);

    std::ostringstream preset;
    preset << std::hex << std::uppercase << std::showbase << std::left;
    const std::ios_base::fmtflags flags = preset.flags();
    preset.width(80);
    c.dump(preset);
    EXPECT_EQ(fresh.str(), preset.str());
    EXPECT_EQ(flags, preset.flags());

    // The next text in a stream starts decimal again.
    c.dump(fresh);
    const std::string twice = fresh.str();
    EXPECT_EQ(twice.substr(0, twice.size() / 2), twice.substr(twice.size() / 2));
  }
}

}  // namespace
}  // namespace zorvik
