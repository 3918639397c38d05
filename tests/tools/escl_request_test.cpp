// The eSCL server's pure request logic: which resource a path names, the
// command line, reading ScanSettings documents and checking them against
// the scanner. Expected values are written from the protocol and the
// 7310's limits, not taken from the code.
#include <gtest/gtest.h>

#include <string>

#include "limits_7310.h"
#include "escl_route.h"
#include "escl_settings.h"
#include "escl_xml.h"
#include "share_options.h"

namespace zorvik::host {
namespace {

TEST(EsclRoute, PathsNameTheirResourceAndJob) {
  struct Case {
    const char* path;
    EsclResource resource;
    uint32_t job;
  } const cases[] = {
      {"/eSCL/ScannerCapabilities", EsclResource::kScannerCapabilities, 0},
      {"/eSCL/ScannerStatus/", EsclResource::kScannerStatus, 0},
      {"/eSCL/ScanJobs", EsclResource::kScanJobs, 0},
      {"/eSCL/ScanJobs/7", EsclResource::kJob, 7},
      {"/eSCL/ScanJobs/12/NextDocument", EsclResource::kNextDocument, 12},
      {"/eSCL/ScanJobs/999999999/ScanImageInfo", EsclResource::kScanImageInfo, 999999999},
      {"/eSCL/ScanJobs/0", EsclResource::kUnknown, 0},
      {"/eSCL/ScanJobs/07/NextDocument", EsclResource::kUnknown, 0},
      {"/eSCL/ScanJobs/1000000000", EsclResource::kUnknown, 0},
      {"/eSCL/ScanJobs/x/NextDocument", EsclResource::kUnknown, 0},
      {"/eSCL/ScanJobs/3/Other", EsclResource::kUnknown, 0},
      {"/eSCL/ScanJobs/3/NextDocument/more", EsclResource::kUnknown, 0},
      {"/escl/ScannerStatus", EsclResource::kUnknown, 0},
      {"/eSCL", EsclResource::kUnknown, 0},
      {"eSCL/ScannerStatus", EsclResource::kUnknown, 0},
      {"", EsclResource::kUnknown, 0},
      {"/eSCL//ScannerStatus", EsclResource::kUnknown, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const EsclRoute route = RouteOf(c.path);
    EXPECT_EQ(route.resource, c.resource);
    EXPECT_EQ(route.job, c.job);
  }
  EXPECT_STREQ(MethodOf(EsclResource::kScanJobs), "POST");
  EXPECT_STREQ(MethodOf(EsclResource::kJob), "DELETE");
  EXPECT_STREQ(MethodOf(EsclResource::kNextDocument), "GET");
}

TEST(ShareOptions, ListenDeviceTimeoutAndFormats) {
  const ParsedShareOptions none = ParseShareOptions({});
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(ShareUrl(none.options), L"http://127.0.0.1:8090/eSCL/");
  EXPECT_EQ(none.options.formats,
            (std::vector<EsclFormat>{EsclFormat::kPng, EsclFormat::kJpeg, EsclFormat::kPdf}));
  const ParsedShareOptions listed = ParseShareOptions({L"--formats", L"pdf,png"});
  ASSERT_TRUE(listed.ok()) << listed.error;
  EXPECT_EQ(listed.options.formats, (std::vector<EsclFormat>{EsclFormat::kPdf, EsclFormat::kPng}));
  EXPECT_EQ(ShareRootUrl(none.options), L"http://127.0.0.1:8090/");

  const ParsedShareOptions all =
      ParseShareOptions({L"--listen=192.168.1.5:9000", L"-d", L"C:\\s.txt", L"--job-timeout", L"5",
                         L"--formats=jpeg"});
  ASSERT_TRUE(all.ok()) << all.error;
  EXPECT_EQ(ShareUrl(all.options), L"http://192.168.1.5:9000/eSCL/");
  EXPECT_EQ(all.options.device, L"C:\\s.txt");
  EXPECT_EQ(all.options.job_timeout_seconds, 5u);
  EXPECT_EQ(all.options.formats, std::vector<EsclFormat>{EsclFormat::kJpeg});

  for (const std::vector<std::wstring>& bad :
       std::vector<std::vector<std::wstring>>{{L"--listen", L"127.0.0.1"},
                                              {L"--listen", L"127.0.0.1:0"},
                                              {L"--listen", L"127.0.0.1:65536"},
                                              {L"--listen", L"a/b:80"},
                                              {L"--listen", L":80"},
                                              {L"--listen"},
                                              {L"--job-timeout", L"0"},
                                              {L"--job-timeout", L"3601"},
                                              {L"--formats", L"png,png"},
                                              {L"--formats", L"tiff"},
                                              {L"--formats", L"png,"},
                                              {L"--formats", L""},
                                              {L"--colour"}}) {
    SCOPED_TRACE(testing::PrintToString(bad.size()) + " arguments");
    EXPECT_FALSE(ParseShareOptions(bad).ok());
  }
}

// A ScanSettings document as sane-airscan writes one, with the given
// region, mode, format and resolution.
std::string Settings(const std::string& region, const std::string& mode = "RGB24",
                     const std::string& format = "image/png", const std::string& dpi = "300") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<scan:ScanSettings xmlns:pwg=\"http://www.pwg.org/schemas/2010/12/sm\" "
         "xmlns:scan=\"http://schemas.hp.com/imaging/escl/2011/05/03\">"
         "<pwg:Version>2.0</pwg:Version><pwg:ScanRegions>" +
         region +
         "</pwg:ScanRegions><pwg:InputSource>Platen</pwg:InputSource>"
         "<scan:ColorMode>" +
         mode + "</scan:ColorMode><pwg:DocumentFormat>" + format +
         "</pwg:DocumentFormat><scan:XResolution>" + dpi + "</scan:XResolution><scan:YResolution>" +
         dpi + "</scan:YResolution></scan:ScanSettings>";
}

std::string Region(const std::string& x, const std::string& y, const std::string& w,
                   const std::string& h) {
  return "<pwg:ScanRegion><pwg:ContentRegionUnits>escl:ThreeHundredthsOfInches"
         "</pwg:ContentRegionUnits><pwg:XOffset>" +
         x + "</pwg:XOffset><pwg:YOffset>" + y + "</pwg:YOffset><pwg:Width>" + w +
         "</pwg:Width><pwg:Height>" + h + "</pwg:Height></pwg:ScanRegion>";
}

ReadSettings Read(const std::string& document) {
  return ReadScanSettings(document.data(), document.size());
}

TEST(ScanSettings, ReadsWhatClientsSend) {
  const ReadSettings read =
      Read(Settings(Region("300", "600", "450", "150"), "Grayscale16", "image/jpeg", "150"));
  ASSERT_EQ(read.problem, SettingsProblem::kNone) << read.error;
  EXPECT_EQ(read.settings.x_offset, 300u);
  EXPECT_EQ(read.settings.y_offset, 600u);
  EXPECT_EQ(read.settings.width, 450u);
  EXPECT_EQ(read.settings.height, 150u);
  EXPECT_EQ(read.settings.color_mode, EsclColorMode::kGrayscale16);
  EXPECT_EQ(read.settings.format, EsclFormat::kJpeg);
  EXPECT_EQ(read.settings.x_resolution, 150u);
  // Every format offered is read by its MIME type.
  for (const auto& [mime, format] : {std::pair{"image/png", EsclFormat::kPng},
                                     {"image/jpeg", EsclFormat::kJpeg},
                                     {"application/pdf", EsclFormat::kPdf}}) {
    const ReadSettings asked = Read(Settings(Region("0", "0", "300", "300"), "RGB24", mime));
    ASSERT_EQ(asked.problem, SettingsProblem::kNone) << asked.error;
    EXPECT_EQ(asked.settings.format, format) << mime;
  }

  // No region: the whole platen; no resolution: absent.
  const std::string bare =
      "<scan:ScanSettings xmlns:scan=\"http://schemas.hp.com/imaging/escl/2011/05/03\">"
      "<scan:ColorMode>BlackAndWhite1</scan:ColorMode></scan:ScanSettings>";
  const ReadSettings plain = Read(bare);
  ASSERT_EQ(plain.problem, SettingsProblem::kNone) << plain.error;
  EXPECT_FALSE(plain.settings.width.has_value());
  EXPECT_FALSE(plain.settings.x_resolution.has_value());
  EXPECT_EQ(plain.settings.color_mode, EsclColorMode::kBlackAndWhite1);
}

TEST(ScanSettings, BadDocumentsAreRefusedWithTheirKindOfProblem) {
  const std::string good = Settings(Region("0", "0", "300", "300"));
  struct Case {
    const char* what;
    std::string document;
    SettingsProblem problem;
  } const cases[] = {
      {"empty", "", SettingsProblem::kMalformed},
      {"not XML", "scan please", SettingsProblem::kMalformed},
      {"cut short", good.substr(0, good.size() / 2), SettingsProblem::kMalformed},
      {"another root", "<scan:ScannerStatus xmlns:scan=\"s\"/>", SettingsProblem::kMalformed},
      {"two roots", good + good, SettingsProblem::kMalformed},
      {"a DTD", "<!DOCTYPE a [<!ENTITY x \"y\">]><ScanSettings>&x;</ScanSettings>",
       SettingsProblem::kMalformed},
      {"too deep", "<ScanSettings>" + std::string(40, '<') + "</ScanSettings>",
       SettingsProblem::kMalformed},
      {"a word for a number", Settings(Region("one", "0", "300", "300")),
       SettingsProblem::kMalformed},
      {"a negative number", Settings(Region("-5", "0", "300", "300")), SettingsProblem::kMalformed},
      {"a huge number", Settings(Region("0", "0", "99999999999", "300")),
       SettingsProblem::kMalformed},
      {"an unknown mode", Settings(Region("0", "0", "300", "300"), "CMYK32"),
       SettingsProblem::kUnsupported},
      {"an unknown format", Settings(Region("0", "0", "300", "300"), "RGB24", "image/tiff"),
       SettingsProblem::kUnsupported},
      {"two regions", Settings(Region("0", "0", "300", "300") + Region("0", "0", "300", "300")),
       SettingsProblem::kUnsupported},
      {"the feeder", std::string(good).replace(good.find(">Platen<"), 8, ">Feeder<"),
       SettingsProblem::kUnsupported},
      {"millimetres",
       std::string(good).replace(good.find("escl:ThreeHundredthsOfInches"), 28, "mm"),
       SettingsProblem::kUnsupported},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ReadSettings read = Read(c.document);
    EXPECT_EQ(read.problem, c.problem);
    EXPECT_FALSE(read.error.empty() && c.problem != SettingsProblem::kNone);
  }
  const std::string large(kMaxScanSettingsBytes + 1, ' ');
  EXPECT_EQ(Read(large).problem, SettingsProblem::kMalformed);
}

TEST(ScanSettings, CheckedAgainstThePlatenAndTheResolutionsOffered) {
  const std::vector<uint16_t> offered = OfferedResolutions(test::Limits7310());
  EXPECT_EQ(offered, (std::vector<uint16_t>{75, 100, 150, 200, 300, 600, 1200}));
  struct Case {
    const char* what;
    uint32_t x, y;
    std::optional<uint32_t> width, height, dpi;
    bool fits;
  } const cases[] = {
      {"the whole platen", 0, 0, std::nullopt, std::nullopt, std::nullopt, true},
      {"up to the far corner", 2540, 3490, 10, 20, 1200, true},
      {"offset beyond the width", 2550, 0, 10, 20, 300, false},
      {"offset beyond the height", 0, 3510, 10, 20, 300, false},
      {"running past the right edge", 2000, 0, 551, 20, 300, false},
      {"running past the bottom edge", 0, 3000, 10, 511, 300, false},
      {"narrower than the smallest", 0, 0, 9, 20, 300, false},
      {"zero high", 0, 0, 10, 0, 300, false},
      {"a resolution between steps", 0, 0, 300, 300, 250, false},
      {"a resolution above the highest", 0, 0, 300, 300, 2400, false},
      {"a resolution below the lowest", 0, 0, 300, 300, 50, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EsclScanSettings settings;
    settings.x_offset = c.x;
    settings.y_offset = c.y;
    settings.width = c.width;
    settings.height = c.height;
    settings.x_resolution = c.dpi;
    settings.y_resolution = c.dpi;
    EXPECT_EQ(CheckScanSettings(settings, test::Limits7310()).empty(), c.fits);
  }
  // JPEG, and the PDF around one, hold 8-bit samples: the 16-bit modes are
  // PNG only.
  for (EsclFormat format : {EsclFormat::kPng, EsclFormat::kJpeg, EsclFormat::kPdf}) {
    for (EsclColorMode mode : kEsclColorModes) {
      EsclScanSettings settings;
      settings.color_mode = mode;
      settings.format = format;
      const bool deep = mode == EsclColorMode::kRgb48 || mode == EsclColorMode::kGrayscale16;
      EXPECT_EQ(CheckScanSettings(settings, test::Limits7310()).empty(),
                !deep || format == EsclFormat::kPng)
          << EsclColorModeName(mode) << " as " << EsclFormatMime(format);
    }
  }
}

TEST(ScanSettings, BecomeTheSameRequestZorvikScanSends) {
  EsclScanSettings settings;
  settings.x_offset = 300;
  settings.y_offset = 601;
  settings.width = 450;
  settings.x_resolution = 150;
  settings.y_resolution = 150;
  settings.color_mode = EsclColorMode::kRgb48;
  const ScanOptions options = ToScanOptions(settings, test::Limits7310());
  const SCANNER_PARAMETERS parameters = ToScannerParameters(options, test::Limits7310());
  EXPECT_EQ(parameters.dwLeft, 300u);
  EXPECT_EQ(parameters.dwTop, 601u);
  EXPECT_EQ(parameters.dwWidth, 450u);
  EXPECT_EQ(parameters.dwLength, 3510u - 601u);
  EXPECT_EQ(parameters.dwScanMode, ZORVIK_SCAN_MODE_COLOR);
  EXPECT_EQ(parameters.byBitsPerChannel, 16);
  settings.color_mode = EsclColorMode::kBlackAndWhite1;
  const SCANNER_PARAMETERS bw =
      ToScannerParameters(ToScanOptions(settings, test::Limits7310()), test::Limits7310());
  EXPECT_EQ(bw.dwScanMode, ZORVIK_SCAN_MODE_BW);
  EXPECT_EQ(bw.byBitsPerChannel, 1);
}

}  // namespace
}  // namespace zorvik::host
