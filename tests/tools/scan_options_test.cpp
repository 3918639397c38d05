// The command line of zorvik_scan: the forms options take, the defaults and
// the rules that tie them together, and the message for each kind of mistake.
#include "scan_options.h"

#include <gtest/gtest.h>

namespace zorvik::host {
namespace {

ScanOptions Parsed(std::vector<std::wstring> arguments) {
  const ParsedOptions parsed = ParseScanOptions(arguments);
  EXPECT_TRUE(parsed.ok()) << testing::PrintToString(parsed.error);
  return parsed.options;
}

TEST(ParseScanOptions, NoArgumentsScanTheWholeFlatbedInColorToScanPng) {
  const ScanOptions options = Parsed({});
  EXPECT_TRUE(options.WantsScan());
  EXPECT_TRUE(options.device.empty());
  EXPECT_EQ(ScanMode::kColor, options.mode);
  EXPECT_EQ(8, options.depth);
  EXPECT_EQ(300, options.x_resolution);
  EXPECT_EQ(300, options.y_resolution);
  EXPECT_EQ(LengthUnit::kMillimetre, options.unit);
  EXPECT_FALSE(options.left || options.top || options.width || options.height);
  EXPECT_EQ(ImageFormat::kPng, options.format);
  EXPECT_EQ(L"scan.png", options.output_file);
  EXPECT_FALSE(options.progress);
  EXPECT_FALSE(options.gamma);
  EXPECT_EQ(5000u, options.lock_timeout_ms);
}

TEST(ParseScanOptions, ValuesTakeEveryUsualForm) {
  const std::vector<std::vector<std::wstring>> spellings = {
      {L"-d", L"C:\\s\\left.txt", L"--mode", L"Gray", L"-l", L"10.5", L"-x", L"20"},
      {L"-dC:\\s\\left.txt", L"--mode=Gray", L"-l10.5", L"-x20"},
      {L"--device=C:\\s\\left.txt", L"--mode", L"gray", L"--left=10.5", L"--width", L"20"},
      {L"--device-name", L"C:\\s\\left.txt", L"--mode=GRAY", L"--left", L"10.5", L"--width=20"},
  };
  for (const auto& arguments : spellings) {
    SCOPED_TRACE(testing::PrintToString(arguments));
    const ScanOptions options = Parsed(arguments);
    EXPECT_EQ(L"C:\\s\\left.txt", options.device);
    EXPECT_EQ(ScanMode::kGray, options.mode);
    EXPECT_EQ(10.5, options.left.value_or(-1));
    EXPECT_EQ(20.0, options.width.value_or(-1));
  }
}

TEST(ParseScanOptions, ShortFlagsBundleAndTheLastValueWins) {
  const ScanOptions options = Parsed({L"-pA", L"--mode", L"Gray", L"--mode", L"Lineart"});
  EXPECT_TRUE(options.progress);
  EXPECT_TRUE(options.all_options);
  EXPECT_EQ(ScanMode::kLineart, options.mode);
}

TEST(ParseScanOptions, DepthFollowsTheMode) {
  EXPECT_EQ(16, Parsed({L"--depth", L"16"}).depth);
  EXPECT_EQ(16, Parsed({L"--mode", L"Gray", L"--depth=16"}).depth);
  EXPECT_EQ(1, Parsed({L"--mode", L"Lineart"}).depth);
  EXPECT_EQ(1, Parsed({L"--mode", L"Lineart", L"--depth", L"1"}).depth);
}

TEST(ParseScanOptions, SeparateResolutionsOverrideTheCommonOneInAnyOrder) {
  ScanOptions options = Parsed({L"--y-resolution", L"600", L"--resolution", L"150"});
  EXPECT_EQ(150, options.x_resolution);
  EXPECT_EQ(600, options.y_resolution);
  options = Parsed({L"--resolution=1200dpi", L"--x-resolution", L"75"});
  EXPECT_EQ(75, options.x_resolution);
  EXPECT_EQ(1200, options.y_resolution);
}

TEST(ParseScanOptions, FormatComesFromTheOptionElseTheOutputFileElsePng) {
  struct Case {
    std::vector<std::wstring> arguments;
    ImageFormat format;
    std::wstring file;
  };
  const Case cases[] = {
      {{L"--format", L"tiff"}, ImageFormat::kTiff, L"scan.tiff"},
      {{L"--format=BMP"}, ImageFormat::kBmp, L"scan.bmp"},
      {{L"-o", L"C:\\out\\page.TIF"}, ImageFormat::kTiff, L"C:\\out\\page.TIF"},
      {{L"-o", L"page.tiff"}, ImageFormat::kTiff, L"page.tiff"},
      {{L"--output-file=page.bmp"}, ImageFormat::kBmp, L"page.bmp"},
      {{L"-o", L"page.jpg"}, ImageFormat::kJpeg, L"page.jpg"},
      {{L"-o", L"page.JPEG"}, ImageFormat::kJpeg, L"page.JPEG"},
      {{L"--format", L"jpeg"}, ImageFormat::kJpeg, L"scan.jpg"},
      {{L"-o", L"C:\\v1.5\\page", L"--format", L"tiff"}, ImageFormat::kTiff, L"C:\\v1.5\\page"},
      {{L"-o", L"page.bmp", L"--format", L"png"}, ImageFormat::kPng, L"page.bmp"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::PrintToString(test.arguments));
    const ScanOptions options = Parsed(test.arguments);
    EXPECT_EQ(test.format, options.format);
    EXPECT_EQ(test.file, options.output_file);
  }
}

TEST(ParseScanOptions, ActionsOtherThanScanningReplaceTheScan) {
  struct Case {
    std::vector<std::wstring> arguments;
    bool needs_scanner;
  };
  const Case cases[] = {
      {{L"-L"}, true},
      {{L"--all-options"}, true},
      {{L"--capabilities"}, true},
      {{L"--lamp", L"status"}, true},
      {{L"--buttons"}, true},
      {{L"--wait-for-button"}, true},
      {{L"--log", L"on"}, false},
      {{L"--log=status"}, false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::PrintToString(test.arguments));
    const ScanOptions options = Parsed(test.arguments);
    EXPECT_FALSE(options.WantsScan());
    EXPECT_EQ(test.needs_scanner, options.NeedsScanner());
  }
  EXPECT_EQ(SwitchAction::kOff, Parsed({L"--lamp", L"OFF"}).lamp);
  EXPECT_EQ(ButtonAction::kWaitForPress, Parsed({L"--wait-for-button"}).buttons);
  const ScanOptions log = Parsed({L"--log", L"on", L"--log-file", L"D:\\logs\\scan.log"});
  EXPECT_EQ(SwitchAction::kOn, log.log);
  EXPECT_EQ(L"D:\\logs\\scan.log", log.log_file);
}

TEST(ParseScanOptions, HelpWinsOverEverythingElse) {
  for (const wchar_t* help : {L"-h", L"--help", L"/?"}) {
    const ParsedOptions parsed = ParseScanOptions({L"--depth", L"16", L"--format=bmp", help});
    EXPECT_TRUE(parsed.ok()) << testing::PrintToString(parsed.error);
    EXPECT_TRUE(parsed.options.help);
  }
}

TEST(ParseScanOptions, OptionalValuesInRange) {
  const ScanOptions options =
      Parsed({L"--gamma", L"2.2", L"--lock-timeout", L"0", L"--unit", L"in", L"-t", L"0"});
  EXPECT_EQ(2.2, options.gamma.value_or(0));
  EXPECT_EQ(0u, options.lock_timeout_ms);
  EXPECT_EQ(LengthUnit::kInch, options.unit);
  EXPECT_EQ(0.0, options.top.value_or(-1));
}

TEST(ParseScanOptions, MistakesGetOneClearSentence) {
  struct Case {
    std::vector<std::wstring> arguments;
    std::wstring error;
  };
  const Case cases[] = {
      {{L"--colour"}, L"unknown option '--colour'"},
      {{L"-q"}, L"unknown option '-q'"},
      {{L"-pq"}, L"unknown option '-q'"},
      {{L"page.png"}, L"unexpected argument 'page.png' (options start with - or --)"},
      {{L"--mode"}, L"option --mode needs a value"},
      {{L"-o"}, L"option -o needs a value"},
      {{L"--mode", L"--depth", L"8"}, L"option --mode needs a value"},
      {{L"--progress=yes"}, L"option --progress takes no value"},
      {{L"--mode", L"Colour"}, L"invalid value 'Colour' for --mode: use Color, Gray or Lineart"},
      {{L"--depth", L"12"}, L"invalid value '12' for --depth: use 8 or 16 (1 for Lineart)"},
      {{L"--depth", L"32"}, L"value 32 for --depth is out of range (1 to 16)"},
      {{L"--resolution", L"0"}, L"value 0 for --resolution is out of range (1 to 65535)"},
      {{L"--x-resolution=70000"}, L"value 70000 for --x-resolution is out of range (1 to 65535)"},
      {{L"--resolution", L"300.5"},
       L"invalid value '300.5' for --resolution: expected a whole number"},
      {{L"-l", L"-5"}, L"value -5 for -l is out of range (0 or more)"},
      {{L"-x", L"0"}, L"value 0 for -x is out of range (more than 0)"},
      {{L"--height=abc"}, L"invalid value 'abc' for --height: expected a number such as 12.5"},
      {{L"-y", L"1e3"}, L"invalid value '1e3' for -y: expected a number such as 12.5"},
      {{L"-y", L"12,5"}, L"invalid value '12,5' for -y: expected a number such as 12.5"},
      {{L"--unit", L"cm"}, L"invalid value 'cm' for --unit: use mm or in"},
      {{L"--format", L"gif"}, L"invalid value 'gif' for --format: use png, tiff, bmp or jpeg"},
      {{L"-o", L"page.gif"},
       L"cannot tell the image format from 'page.gif': name the file .png, .tif, .tiff, .bmp, "
       L".jpg or .jpeg, or give --format"},
      {{L"-o", L"C:\\v1.5\\page"},
       L"cannot tell the image format from 'C:\\v1.5\\page': name the file .png, .tif, .tiff, "
       L".bmp, .jpg or .jpeg, or give --format"},
      {{L"--gamma", L"0"}, L"value 0 for --gamma is out of range (0.1 to 10)"},
      {{L"--gamma", L"11"}, L"value 11 for --gamma is out of range (0.1 to 10)"},
      {{L"--lock-timeout", L"3600001"},
       L"value 3600001 for --lock-timeout is out of range (0 to 3600000)"},
      {{L"--lamp", L"dim"}, L"invalid value 'dim' for --lamp: use on, off or status"},
      {{L"-o", L""}, L"-o needs a file name"},
      {{L"--mode", L"Lineart", L"--depth", L"8"},
       L"--depth 8 does not apply to Lineart, which has 1 bit per pixel"},
      {{L"--depth", L"1"}, L"--depth 1 applies to Lineart only; use 8 or 16 for Color"},
      {{L"--depth", L"16", L"-o", L"page.bmp"},
       L"BMP holds at most 8 bits per channel; use --format png or tiff for --depth 16"},
      {{L"--depth", L"16", L"--format", L"jpeg"},
       L"JPEG holds at most 8 bits per channel; use --format png or tiff for --depth 16"},
      {{L"--log-file", L"C:\\scan.log"}, L"--log-file goes with --log on"},
      {{L"--log", L"on", L"--log-file", std::wstring(260, L'a')},
       L"--log-file needs a path of 1 to 259 characters"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::PrintToString(test.arguments));
    EXPECT_EQ(test.error, ParseScanOptions(test.arguments).error);
  }
}

}  // namespace
}  // namespace zorvik::host
