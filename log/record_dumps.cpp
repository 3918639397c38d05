// The record dumps of the diagnostic log: the three interface records and the
// toolkit's ability and scan-parameter records, one line per field.
#include "record_dumps.h"

#include "zorvik_contract.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvik {
namespace {

// A dump is one self-contained text: it starts in decimal with no padding
// whatever the caller left in the stream, and gives the caller its number
// format back afterwards.
class DumpFormatGuard {
 public:
  explicit DumpFormatGuard(std::ostream& out) : out_(out), flags_(out.flags()) {
    out_.flags(std::ios_base::dec);
    out_.width(0);
  }
  ~DumpFormatGuard() { out_.flags(flags_); }
  DumpFormatGuard(const DumpFormatGuard&) = delete;
  DumpFormatGuard& operator=(const DumpFormatGuard&) = delete;

 private:
  std::ostream& out_;
  std::ios_base::fmtflags flags_;
};

struct BitName {
  uint32_t bit;
  const char* name;
};

struct ValueName {
  uint32_t value;
  const char* name;
};

// Writes the names of the set bits in table order; bits not in the table are
// left out.
template <size_t N>
void WriteFlags(std::ostream& out, uint32_t bits, const BitName (&names)[N]) {
  for (const BitName& entry : names) {
    if (bits & entry.bit) out << entry.name;
  }
}

// Writes the name of a known value, or the value itself in hexadecimal. Like
// every switch to hexadecimal in a dump it stays in force for the rest of the
// text, so the numbers after an unknown value appear in hexadecimal, as log
// readers are used to seeing them.
template <size_t N>
void WriteEnum(std::ostream& out, uint32_t value, const ValueName (&names)[N]) {
  for (const ValueName& entry : names) {
    if (entry.value == value) {
      out << entry.name;
      return;
    }
  }
  out << "unknown type: 0x" << std::hex << value;
}

// A text in a fixed-size field ends at its first zero byte, or at the end of
// the field when the field holds no zero byte; it never runs past the field.
template <typename Char, size_t N>
void WriteFieldText(std::ostream& out, const Char (&field)[N]) {
  static_assert(sizeof(Char) == 1);
  const char* text = reinterpret_cast<const char*>(field);
  out.write(text, std::find(text, text + N, '\0') - text);
}

// Bytes are numbers here, never characters.
unsigned AsNumber(uint8_t value) { return value; }

// A signed byte widened with its sign to 16 bits and shown unsigned, so -1
// reads 65535.
unsigned AsWidenedUnsigned(int8_t value) {
  return static_cast<uint16_t>(static_cast<int16_t>(value));
}

// The bit depths of a capability list, each followed by ", ", up to the first
// zero entry.
void WriteBitDepths(std::ostream& out, std::span<const BYTE> depths) {
  for (BYTE depth : depths) {
    if (depth == 0) break;
    out << AsNumber(depth) << ", ";
  }
}

void EndText(std::ostream& out) { out.put('\0'); }

constexpr BitName kSupportedScanModes[] = {{ZORVIK_SCAN_MODE_COLOR, "COLOR "},
                                           {ZORVIK_SCAN_MODE_GREYSCALE, "| GREYSCALE "},
                                           {ZORVIK_SCAN_MODE_BW, "| BW"}};
constexpr BitName kSupportedScanOptions[] = {
    {ZORVIK_SCAN_OPTION_PREVIEW, "PREVIEW "},
    {ZORVIK_SCAN_OPTION_PIXEL_COORDINATES, "| PIXEL COORDINATES"}};
constexpr BitName kSupportedGreyChannels[] = {{ZORVIK_GREY_CHANNEL_GREEN, "GREEN "},
                                              {ZORVIK_GREY_CHANNEL_RED, "| RED "},
                                              {ZORVIK_GREY_CHANNEL_BLUE, "| BLUE "},
                                              {ZORVIK_GREY_CHANNEL_NTSC, "| NTSC Grey "}};

constexpr ValueName kScanModes[] = {{ZORVIK_SCAN_MODE_COLOR, "COLOR"},
                                    {ZORVIK_SCAN_MODE_GREYSCALE, "GREYSCALE"},
                                    {ZORVIK_SCAN_MODE_BW, "BW"}};
constexpr BitName kScanOptions[] = {{ZORVIK_SCAN_OPTION_PREVIEW, "PREVIEW "},
                                    {ZORVIK_SCAN_OPTION_PIXEL_COORDINATES, "| Pixel Coordinates"}};
constexpr ValueName kGreyChannels[] = {{ZORVIK_GREY_CHANNEL_RED, "RED "},
                                       {ZORVIK_GREY_CHANNEL_GREEN, "GREEN"},
                                       {ZORVIK_GREY_CHANNEL_BLUE, "BLUE "},
                                       {ZORVIK_GREY_CHANNEL_NTSC, "NTSC "}};
constexpr ValueName kScanMethods[] = {{ZORVIK_SCAN_METHOD_FLATBED, "Flatbed"},
                                      {ZORVIK_SCAN_METHOD_ADF, "ADF"},
                                      {ZORVIK_SCAN_METHOD_XPA_POSITIVE, "XPA Positive"},
                                      {ZORVIK_SCAN_METHOD_XPA_NEGATIVE, "XPA Negative"}};

}  // namespace

void DumpScannerCapabilities(std::ostream& out, const SCANNER_CAPABILITIES& caps) {
  DumpFormatGuard guard(out);
  out << " <<< SCANNER CAPABILITIES >>> \n";
  out << "ModelNumber = ";
  WriteFieldText(out, caps.byModelNumber);
  out << "\n";
  out << "Lamp Warmup Time = " << caps.wLampWarmupTime << "\n";
  out << "OpticalResolution = " << caps.wOpticalResolution << "\n";
  out << "Maximum X Resolution = " << caps.wMaximumXResolution << "\n";
  out << "Maximum Y Resolution = " << caps.wMaximumYResolution << "\n";
  out << "Minimum Resolution = " << caps.wMinimumResolution << "\n";
  out << "Maximum Width = " << caps.dwMaximumWidth << "\n";
  out << "Minimum Width = " << caps.dwMinimumWidth << "\n";
  out << "Maximum Height = " << caps.dwMaximumHeight << "\n";
  out << "Minimum Height = " << caps.dwMinimumHeight << "\n";
  out << "Pixel Order = " << (caps.wRawPixelOrder == 1 ? "RGB" : "BGR") << "\n";
  out << "Pixel Packing = " << (caps.wPixelPacking == 1 ? "PACKED" : "PLANAR") << "\n";
  out << "Scan Modes Supported = ";
  WriteFlags(out, caps.dwScanModesSupported, kSupportedScanModes);
  out << "\n";
  out << "Scan Options Supported = ";
  WriteFlags(out, caps.dwScanOptionsSupported, kSupportedScanOptions);
  out << "\n";
  out << "Grey Channels Supported = ";
  WriteFlags(out, caps.wGreyChannelsSupported, kSupportedGreyChannels);
  out << "\n";
  // The model has one paper path; the field is not consulted.
  out << "Scanner Paper Path = Scroll\n";
  out << "Gamma Table Size = " << caps.wGammaTableSize << "\n";
  out << "Supported Color Bits per pixel = ";
  WriteBitDepths(out, caps.byColorBitsPerChannel);
  out << "\n";
  out << "Supported Grey Bits per pixel = ";
  WriteBitDepths(out, caps.byGreyBitsPerChannel);
  // No newline after the last line: the text ends here.
  EndText(out);
}

void DumpBufferInfo(std::ostream& out, const BUFFER_INFO& info) {
  DumpFormatGuard guard(out);
  out << " << BUFFER_INFO >>> \n";
  out << "Bytes Per Line = " << info.dwBytesPerLine << "\n";
  out << "Pixel Width = " << info.dwPixelWidth << "\n";
  out << "Pixel Height = " << info.dwPixelHeight << "\n";
  EndText(out);
}

void DumpScannerParameters(std::ostream& out, const SCANNER_PARAMETERS& params) {
  DumpFormatGuard guard(out);
  out << " << SCANNER PARAMETERS >>> \n";
  out << "PixelLeft = " << params.dwLeft << "\n";
  out << "PixelTop = " << params.dwTop << "\n";
  out << "PixelWidth = " << params.dwWidth << "\n";
  out << "PixelLength = " << params.dwLength << "\n";
  out << "Scan Mode = ";
  WriteEnum(out, params.dwScanMode, kScanModes);
  out << "\n";
  out << "Scan Options = ";
  WriteFlags(out, params.dwScanOptions, kScanOptions);
  out << "\n";
  out << "Bits Per Channel = " << AsNumber(params.byBitsPerChannel) << "\n";
  out << "X Resolution = " << params.wXResolution << "\n";
  out << "Y Resolution = " << params.wYResolution << "\n";
  out << "Grey Channel = ";
  WriteEnum(out, params.wGreyChannel, kGreyChannels);
  out << "\n";
  out << "Scan Method = ";
  WriteEnum(out, params.wScanMethod, kScanMethods);
  out << "\n";
  EndText(out);
}

void DumpToolkitAbility(std::ostream& out, const TOOLKIT_ABILITY& ability) {
  DumpFormatGuard guard(out);
  out << " <<< TALON CABABILITY >>> \n";
  out << "Vendor Name=";
  WriteFieldText(out, ability.VendorName);
  out << "\nModel Name=";
  WriteFieldText(out, ability.ModelName);
  out << "\nFirmware Version=";
  WriteFieldText(out, ability.FirmwareVersion);
  out << "\nPort Type=";
  WriteFieldText(out, ability.PortType);
  out << "\nPort Address=";
  WriteFieldText(out, ability.PortAddress);
  out << "\nHalfTone Index=";
  for (uint8_t index : ability.HalfToneIndex) out << AsNumber(index) << " ";
  out << "\n";
  out << std::hex;
  out << "Scanner Capability=0x" << ability.ScannerCapability << "\n";
  out << "Scanner Capability 2=0x" << ability.ScannerCapability2 << "\n";
  out << "Driver Function Support=0x" << ability.DriverFunctionSupport << "\n";
  out << "Driver Function Support 2=0x" << ability.DriverFunctionSupport2 << "\n";
  out << std::dec;
  out << "Flatbed Max Width=" << ability.FlatbedMaxWidth << "\n";
  out << "Flatbed Max Length=" << ability.FlatbedMaxLength << "\n";
  out << "ADF Max Width=" << ability.AdfMaxWidth << "\n";
  out << "ADF Max Length=" << ability.AdfMaxLength << "\n";
  out << "XPA Max Width=" << ability.XpaMaxWidth << "\n";
  out << "XPA Max Length=" << ability.XpaMaxLength << "\n";
  out << "Optical Res=" << ability.OpticalRes << "\n";
  out << "Max Grey X Res=" << ability.MaxGreyXRes << "\n";
  out << "Max Grey Y Res=" << ability.MaxGreyYRes << "\n";
  out << "Max Color X Res=" << ability.MaxColorXRes << "\n";
  out << "Max Color Y Res=" << ability.MaxColorYRes << "\n";
  out << std::hex;
  out << "ImageType=0x" << ability.ImageType << "\n";
  out << "ScanMethod=0x" << ability.ScanMethod << "\n";
  out << "Channels Per Pixel (bit 7, 6) =0x" << AsNumber(ability.ChannelsPerPixel) << "\n";
  out << "Bits Per Channel =0x" << AsNumber(ability.BitsPerChannel) << "\n";
  out << std::dec;
  out << "HalfTone Number=" << AsNumber(ability.HalfToneNumber) << "\n";
  out << "Error Diffusion Number=" << AsNumber(ability.ErrorDiffusionNumber) << "\n";
  out << "Lineart Pixel Bound=" << AsNumber(ability.LineartPixelBound) << "\n";
  out << "Gray Pixel Bound=" << AsNumber(ability.GrayPixelBound) << "\n";
  out << "Color Pixel Bound=" << AsNumber(ability.ColorPixelBound) << "\n";
  out << "Halftone Pixel Bound=" << AsNumber(ability.HalftonePixelBound) << "\n";
  out << "Error Diffusion Pixel Bound=" << AsNumber(ability.ErrorDiffusionPixelBound) << "\n";
  out << "Gray 4 bits Pixel Bound=" << AsNumber(ability.Gray4BitsPixelBound) << "\n";
  EndText(out);
}

void DumpToolkitScanParameter(std::ostream& out, const TOOLKIT_SCAN_PARAMETER& params) {
  DumpFormatGuard guard(out);
  out << " <<< TALON PARAMETER >>> \n";
  out << "Pixel Left=" << params.PixelLeft << ", Pixel Top=" << params.PixelTop
      << ", Pixel Width=" << params.PixelWidth << ", Pixel Length=" << params.PixelLength << "\n";
  out << "Pixel Num=" << params.PixelNum << "\n";
  out << "Line Num=" << params.LineNum << "\n";
  out << "Scan Mode=" << AsNumber(params.ScanMode) << "\n";
  out << "Scan Method=" << AsNumber(params.ScanMethod) << "\n";
  out << "Bits Per Pixel=" << AsNumber(params.BitsPerPixel) << "\n";
  out << "Scan Speed=" << AsNumber(params.ScanSpeed) << "\n";
  out << "Contrast=" << AsWidenedUnsigned(params.Contrast) << "\n";
  out << "Brightness=" << AsWidenedUnsigned(params.Brightness) << "\n";
  out << "HTPatternNo=" << AsNumber(params.HTPatternNo) << "\n";
  out << "Highlight=" << AsNumber(params.Highlight) << "\n";
  out << "Shadow=" << AsNumber(params.Shadow) << "\n";
  out << "Color Filter=" << AsNumber(params.ColorFilter) << "\n";
  out << "Invert=" << AsNumber(params.Invert) << "\n";
  out << "Read Status=" << AsNumber(params.ReadStatus) << "\n";
  out << "Extended Scan Parameter=0x" << std::hex << params.ExtendedScanParameter << "\n";
  out << std::dec;
  out << "Red Exposure=" << params.RedExposure << "\n";
  out << "Green Exposure=" << params.GreenExposure << "\n";
  out << "Blue Exposure=" << params.BlueExposure << "\n";
  out << "X Res=" << params.XRes << "\n";
  out << "Y Res=" << params.YRes << "\n";
  EndText(out);
}

}  // namespace zorvik
