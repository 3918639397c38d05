// zorvik_scan against the registered component and the simulated 7310: the
// image it writes is the scanner's test chart, pixel for pixel, and a scanner
// it cannot open or lock is reported by method, HRESULT and driver error.
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device_files.h"
#include "com_apartment.h"
#include "program_run.h"
#include "scoped_registration.h"
#include "test_chart.h"
#include "unique_resource.h"
#include "zorvik.h"
#include "zorvik_module.h"

namespace zorvik {
namespace {

using Microsoft::WRL::ComPtr;
using test::ProgramRun;
using test::RunZorvikScan;
using test::TempDeviceFile;
using test::ZorvikScanProcess;

// The scan window of every image test: 2 x 1 inch at 100 dpi, starting half
// an inch in and an inch and a half down, so it crosses grid lines and cells.
constexpr uint32_t kResolution = 100;
constexpr uint32_t kLeft300ths = 150;
constexpr uint32_t kTop300ths = 450;
constexpr uint32_t kWidth = 200;
constexpr uint32_t kHeight = 100;
constexpr wchar_t kWindow[] = L"--unit in -l 0.5 -t 1.5 -x 2 -y 1 --resolution 100";

// What zorvik_scan says once opening the scanner has taken a second.
constexpr char kSlowOpenNotice[] =
    "zorvik_scan: the scanner is taking a while to answer: it is starting up, its start is "
    "being retried, or another program is using it; waiting (Ctrl-C cancels)\n";

struct DecodedImage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t channels = 0;  // 3 (blue, green, red) or 1 (grey)
  std::vector<uint8_t> pixels;
};

// The first frame of the image in `path`, and the factory that decoded it.
HRESULT OpenImage(const std::wstring& path, ComPtr<IWICImagingFactory>* factory,
                  ComPtr<IWICBitmapFrameDecode>* frame) {
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory->ReleaseAndGetAddressOf()));
  ComPtr<IWICBitmapDecoder> decoder;
  if (SUCCEEDED(hr)) {
    hr = (*factory)->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                               WICDecodeMetadataCacheOnDemand, &decoder);
  }
  if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, frame->ReleaseAndGetAddressOf());
  return hr;
}

// Decodes `path` with WIC into 8-bit blue-green-red or 8-bit grey.
HRESULT DecodeImage(const std::wstring& path, bool grey, DecodedImage* image) {
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICBitmapFrameDecode> frame;
  HRESULT hr = OpenImage(path, &factory, &frame);
  ComPtr<IWICFormatConverter> converter;
  if (SUCCEEDED(hr)) hr = factory->CreateFormatConverter(&converter);
  if (SUCCEEDED(hr)) {
    hr = converter->Initialize(frame.Get(),
                               grey ? GUID_WICPixelFormat8bppGray : GUID_WICPixelFormat24bppBGR,
                               WICBitmapDitherTypeNone, nullptr, 0, WICBitmapPaletteTypeCustom);
  }
  if (SUCCEEDED(hr)) hr = converter->GetSize(&image->width, &image->height);
  if (FAILED(hr)) return hr;
  image->channels = grey ? 1 : 3;
  const UINT stride = image->width * image->channels;
  image->pixels.resize(static_cast<size_t>(stride) * image->height);
  return converter->CopyPixels(nullptr, stride, static_cast<UINT>(image->pixels.size()),
                               image->pixels.data());
}

// The size of the image in `path`, whatever its pixel layout.
HRESULT ImageSize(const std::wstring& path, UINT* width, UINT* height) {
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICBitmapFrameDecode> frame;
  HRESULT hr = OpenImage(path, &factory, &frame);
  if (SUCCEEDED(hr)) hr = frame->GetSize(width, height);
  return hr;
}

// What an 8-bit sample of the chart becomes under the gamma zorvik_scan sends.
uint8_t WithGamma(uint16_t sample, double gamma) {
  const double level = (sample >> 8) / 255.0;
  return static_cast<uint8_t>(std::lround(255.0 * std::pow(level, 1.0 / gamma)));
}

std::wstring TempImagePath(const wchar_t* name) {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  return std::wstring(folder) + L"zorvik_scan_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
         name;
}

// A file's whole contents, or nullopt when it cannot be read (is missing).
std::optional<std::string> FileBytes(const std::wstring& path) {
  UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file)
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The names in `folder`, "." and ".." left out.
std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// A folder of the test's own for output files, removed with what is in it.
class OutputFolder {
 public:
  OutputFolder() : path_(TempImagePath(L"output")) { CreateDirectoryW(path_.c_str(), nullptr); }
  ~OutputFolder() {
    for (const std::wstring& name : FolderEntries(path_)) DeleteFileW(File(name.c_str()).c_str());
    RemoveDirectoryW(path_.c_str());
  }
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;
  std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }
  std::vector<std::wstring> Entries() const { return FolderEntries(path_); }

 private:
  std::wstring path_;
};

// What a user had under the output name before a scan that must not touch it.
constexpr char kPreviousImage[] = "the previous image, which a failed scan keeps";

// zorvik.dll registered in the prefix for each test, as a host finds it, and
// a scanner of the test's own (an empty device file is a default 7310): the
// device lock is per device name, so suites running beside this one never
// wait for its scanner.
class ZorvikScanDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(apartment_.ok());
    ASSERT_TRUE(module_.loaded());
    ASSERT_EQ(S_OK, registration_.result());
  }

  ComApartment apartment_;
  test::ZorvikModule module_;
  test::ScopedRegistration registration_{module_};
  TempDeviceFile device_{"", "7310"};
  const std::wstring device_option_ = L"-d \"" + device_.wide_path() + L"\" ";
};

struct ImageCase {
  const char* label;
  const wchar_t* arguments;
  bool grey;
  double gamma;
};

TEST_F(ZorvikScanDeviceTest, ScannedImageIsTheChartOfTheWindow) {
  const ImageCase cases[] = {
      {"colour png", L"--mode Color --format png", false, 1.0},
      {"grey png", L"--mode Gray --format png", true, 1.0},
      {"colour tiff with gamma", L"--mode Color --gamma 2 --format tiff", false, 2.0},
  };
  for (const ImageCase& scan : cases) {
    SCOPED_TRACE(scan.label);
    // The format comes from --format where a case gives it.
    const std::wstring path = TempImagePath(L"chart.image");
    const ProgramRun run =
        RunZorvikScan(device_option_ + kWindow + L" " + scan.arguments + L" -o \"" + path + L"\"");
    ASSERT_EQ(0u, run.exit_code) << run.output;

    DecodedImage image;
    const HRESULT decoded = DecodeImage(path, scan.grey, &image);
    DeleteFileW(path.c_str());
    ASSERT_EQ(S_OK, decoded);
    ASSERT_EQ(kWidth, image.width);
    ASSERT_EQ(kHeight, image.height);

    int mismatches = 0;
    for (uint32_t y = 0; y < kHeight && mismatches < 5; ++y) {
      for (uint32_t x = 0; x < kWidth && mismatches < 5; ++x) {
        const sim::ChartColor chart =
            sim::ChartColorAt(sim::ChartPosition(kLeft300ths, x, kResolution),
                              sim::ChartPosition(kTop300ths, y, kResolution));
        const uint8_t* pixel = &image.pixels[(y * kWidth + x) * image.channels];
        const std::vector<uint8_t> got(pixel, pixel + image.channels);
        const std::vector<uint8_t> expected =
            scan.grey ? std::vector<uint8_t>{WithGamma(sim::ChartGrey(chart), scan.gamma)}
                      : std::vector<uint8_t>{WithGamma(chart.blue, scan.gamma),
                                             WithGamma(chart.green, scan.gamma),
                                             WithGamma(chart.red, scan.gamma)};
        if (got != expected) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") differs from the chart";
          ++mismatches;
        }
      }
    }
  }
}

TEST_F(ZorvikScanDeviceTest, AMissingDeviceIsAFailureOnStandardErrorAlsoWhenListing) {
  const char kNotFound[] =
      "zorvik_scan: OpenScannerSession failed: HRESULT 0x80004005 (E_FAIL), driver error 3 "
      "(Scanner Not Found)\n";
  struct Case {
    const char* label;
    const wchar_t* arguments;
    std::string errors;
  };
  const Case cases[] = {
      {"scan", L"--resolution 75", kNotFound},
      {"list", L"-L",
       kNotFound + std::string("zorvik_scan: no scanner zorvik_scan can open at "
                               "'C:\\no\\such\\scanner'\n")},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    const OutputFolder folder;
    const ProgramRun run =
        RunZorvikScan(L"-d C:\\no\\such\\scanner " + std::wstring(test.arguments) + L" -o \"" +
                      folder.File(L"missing.png") + L"\"");
    EXPECT_EQ(1u, run.exit_code) << run.output;
    EXPECT_EQ(test.errors, run.errors);
    EXPECT_TRUE(folder.Entries().empty());
  }
  const ProgramRun listed = RunZorvikScan(device_option_ + L"-L");
  EXPECT_EQ(0u, listed.exit_code) << listed.output;
  EXPECT_EQ("", listed.errors);
  EXPECT_NE(std::string::npos, listed.output.find("is a scanner zorvik_scan can open"));
}

TEST_F(ZorvikScanDeviceTest, EveryModeKeepsExactlyThePixelsAskedFor) {
  struct Case {
    const char* label;
    const wchar_t* arguments;
    uint32_t width;
    uint32_t height;
  };
  // 30 mm is 354/300 inch, 177 pixels at 150 dpi; 20 mm is 236/300 inch,
  // 118 lines. A Lineart line of 177 pixels arrives padded to 184.
  const Case cases[] = {
      {"colour", L"--mode Color -x 30 -y 20", 177, 118},
      {"grey", L"--mode Gray -x 30 -y 20", 177, 118},
      {"lineart", L"--mode Lineart -x 30 -y 20", 177, 118},
      {"lineart, the whole flatbed", L"--mode Lineart", 1275, 1755},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    const OutputFolder folder;
    const std::wstring path = folder.File(L"width.png");
    const ProgramRun run = RunZorvikScan(device_option_ + L"--resolution 150 " + test.arguments +
                                         L" -o \"" + path + L"\"");
    ASSERT_EQ(0u, run.exit_code) << run.output;
    UINT width = 0;
    UINT height = 0;
    ASSERT_EQ(S_OK, ImageSize(path, &width, &height));
    EXPECT_EQ(test.width, width);
    EXPECT_EQ(test.height, height);
  }
}

struct DeviceCase {
  const char* label;
  const char* device_file;
  const wchar_t* arguments;
  DWORD exit_code;
  // Every line zorvik_scan writes to standard error, in order; "@" stands
  // for the output file's path.
  const char* errors;
  bool image_written;
  // A line the program writes to standard output, if any is expected.
  const char* output = "";
};

TEST_F(ZorvikScanDeviceTest, EachScannerFaultIsReportedWithTheCodeTheComponentReturned) {
  const DeviceCase cases[] = {
      {"the lamp is off", "lamp = off\n", L"-x 10 -y 10", 1,
       "zorvik_scan: StartScan failed: HRESULT 0x80004005 (E_FAIL), driver error 6 (Scanner Lamp "
       "is Off)\n",
       false},
      {"the lamp does not light", "fail = LampOn status 178\n", L"--lamp on", 1,
       "zorvik_scan: LampOn failed: HRESULT 0x80004005 (E_FAIL), driver error 6 (Scanner Lamp is "
       "Off)\n",
       false},
      {"a read fails mid-scan", "fail = ReadScan status 156 after 5000\n", L"-x 20 -y 20", 1,
       "zorvik_scan: ReadScanEx failed: HRESULT 0x80004005 (E_FAIL), driver error 12 (Scanner "
       "communication failure)\n",
       false},
      {"the scanner refuses to start", "fail = StartScan status 156\n", L"-x 20 -y 20", 1,
       "zorvik_scan: StartScan failed: HRESULT 0x80004005 (E_FAIL), driver error 12 (Scanner "
       "communication failure)\n",
       false},
      {"the scanner faults when stopped after a whole image", "fail = StopScan status 12\n",
       L"-x 10 -y 10", 1,
       "zorvik_scan: StopScan failed: HRESULT 0x80004005 (E_FAIL), driver error 2 (Invalid "
       "Parameter Specified)\n"
       "zorvik_scan: the image is complete and was written to @, but the scanner reported a "
       "fault when the scan was stopped\n",
       true},
      {"buttons read once", "press = 2 after 1\n", L"--buttons", 0, "", false,
       "Button 2: released\n"},
      {"a press waited for", "press = 2 after 3\n", L"--wait-for-button", 0,
       "Waiting for a front-panel button...\n", false, "Button 2: pressed\n"},
  };
  for (const DeviceCase& device : cases) {
    SCOPED_TRACE(device.label);
    const TempDeviceFile file(device.device_file);
    const OutputFolder folder;
    const std::wstring image = folder.File(L"keep.png");
    WriteBytes(image, kPreviousImage);
    const ProgramRun run = RunZorvikScan(L"-d \"" + file.wide_path() + L"\" --resolution 75 " +
                                         device.arguments + L" -o \"" + image + L"\"");
    EXPECT_EQ(device.exit_code, run.exit_code) << run.output;
    std::string errors = device.errors;
    if (const size_t at = errors.find('@'); at != std::string::npos) {
      errors.replace(at, 1, std::string(image.begin(), image.end()));  // an ASCII path
    }
    EXPECT_EQ(errors, run.errors);
    EXPECT_NE(std::string::npos, run.output.find(device.output)) << run.output;
    const std::optional<std::string> kept = FileBytes(image);
    ASSERT_TRUE(kept.has_value());
    if (device.image_written) {
      EXPECT_NE(kPreviousImage, *kept);
    } else {
      EXPECT_EQ(kPreviousImage, *kept);
    }
    EXPECT_EQ(1u, folder.Entries().size()) << "only the output file may be there";
  }
}

// The device lock held by this test process, as another host would hold it.
class HeldByAnotherHost {
 public:
  explicit HeldByAnotherHost(std::wstring device) : device_(std::move(device)) {
    DWORD error = 0xDEADBEEF;
    held_ = SUCCEEDED(CoCreateInstance(CLSID_ZORVIK, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&scanner_))) &&
            scanner_->OpenScannerSession(device_.data(), 1, &session_, &error) == S_OK &&
            scanner_->LockScanner(session_, 1, 0, &error) == S_OK;
  }
  ~HeldByAnotherHost() { Release(); }
  HeldByAnotherHost(const HeldByAnotherHost&) = delete;
  HeldByAnotherHost& operator=(const HeldByAnotherHost&) = delete;

  bool held() const { return held_; }
  void Release() {
    if (!scanner_ || session_ == 0) return;
    DWORD error = 0;
    if (held_) scanner_->UnlockScanner(session_, &error);
    scanner_->CloseScannerSession(session_, &error);
    session_ = 0;
    held_ = false;
  }

 private:
  std::wstring device_;
  ComPtr<IScanner> scanner_;
  DWORD session_ = 0;
  bool held_ = false;
};

TEST_F(ZorvikScanDeviceTest, AScannerHeldPastTheLockTimeoutIsSaidSoAndFreedAfterwards) {
  HeldByAnotherHost other(device_.wide_path());
  ASSERT_TRUE(other.held());
  // The open itself waits five seconds for the lock, so the slow answer is
  // announced before the failure.
  const std::string busy =
      std::string(kSlowOpenNotice) +
      "zorvik_scan: OpenScannerSession failed: HRESULT 0x80004005 (E_FAIL), driver error 5 "
      "(Scanner Lock Failed)\n"
      "zorvik_scan: another program is using the scanner; try again when it has finished "
      "(waited 100 ms), or wait longer with --lock-timeout\n";
  struct Case {
    const wchar_t* action;
    std::string errors;
  };
  const Case cases[] = {
      {L"--resolution 75", busy},
      {L"-L", busy + "zorvik_scan: no scanner zorvik_scan can open at '" + device_.path() + "'\n"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(test.action)));
    const OutputFolder folder;
    const ProgramRun run = RunZorvikScan(device_option_ + L"--lock-timeout 100 " + test.action +
                                         L" -o \"" + folder.File(L"locked.png") + L"\"");
    EXPECT_EQ(1u, run.exit_code);
    EXPECT_EQ(test.errors, run.errors);
    EXPECT_TRUE(folder.Entries().empty());
  }

  other.Release();
  // The lamp status needs the lock: the program takes it once it is free.
  const ProgramRun run = RunZorvikScan(device_option_ + L"--lock-timeout 5000 --lamp status");
  EXPECT_EQ(0u, run.exit_code) << run.output;
  EXPECT_NE(std::string::npos, run.output.find("Lamp: on")) << run.output;
}

TEST_F(ZorvikScanDeviceTest, TheLockTimeoutCoversTheWholeWaitForABusyScanner) {
  HeldByAnotherHost other(device_.wide_path());
  ASSERT_TRUE(other.held());
  ZorvikScanProcess program(device_option_ + L"--lock-timeout 30000 --lamp status");
  ASSERT_TRUE(program.started());
  // Longer than one open waits for the lock by itself, so the program has to
  // open again to get the scanner.
  Sleep(7000);
  ASSERT_TRUE(program.Running());
  other.Release();
  const ProgramRun run = program.Wait();
  EXPECT_EQ(0u, run.exit_code) << run.output;
  EXPECT_NE(std::string::npos,
            run.errors.find("zorvik_scan: another program is using the scanner; waiting up to "
                            "30000 ms for it (--lock-timeout)\n"))
      << run.errors;
  EXPECT_NE(std::string::npos, run.output.find("Lamp: on")) << run.output;
}

TEST_F(ZorvikScanDeviceTest, ASlowStartIsAnnouncedAndShownInTheProgressLine) {
  // The first start fails, so the open pauses five seconds before it retries.
  const TempDeviceFile slow("fail = InitializeScanner status 1 times 1\n", "slow");
  const ProgramRun run = RunZorvikScan(L"-d \"" + slow.wide_path() + L"\" -p --lamp status");
  EXPECT_EQ(0u, run.exit_code) << run.output;
  EXPECT_EQ(0u, run.errors.find(kSlowOpenNotice)) << run.errors;
  EXPECT_NE(std::string::npos, run.errors.find("\rWaiting for the scanner: 3 s")) << run.errors;
}

// A scan long enough to be interrupted: the whole flatbed, in colour, at
// 1200 dpi (about four hundred megabytes).
constexpr wchar_t kLongScan[] = L"--resolution 1200 --mode Color ";

// Waits until the program has begun writing its image, beside `kept` or
// over it.
bool WaitForImageInProgress(const OutputFolder& folder, const std::wstring& kept,
                            const ZorvikScanProcess& program) {
  for (int i = 0; i < 600 && program.Running(); ++i) {
    if (folder.Entries().size() > 1 || FileBytes(kept) != kPreviousImage) return true;
    Sleep(50);
  }
  return false;
}

// A Ctrl-C and the signals a Linux user sends to the program under Wine are
// checked by interrupted_scan_test.sh; here the process is ended at once,
// as TerminateProcess (and kill -9) does.
TEST_F(ZorvikScanDeviceTest, AKilledScanLeavesThePreviousFileAsItWas) {
  const OutputFolder folder;
  const std::wstring image = folder.File(L"keep.png");
  WriteBytes(image, kPreviousImage);
  ZorvikScanProcess program(device_option_ + kLongScan + L"-o \"" + image + L"\"");
  ASSERT_TRUE(WaitForImageInProgress(folder, image, program)) << program.Wait().output;
  program.Kill();
  EXPECT_EQ(kPreviousImage, FileBytes(image).value_or("(missing)"));
  EXPECT_EQ(std::vector<std::wstring>{L"keep.png"}, folder.Entries());
  // The scanner was not left locked: the next program takes it at once.
  const ProgramRun run = RunZorvikScan(device_option_ + L"--lock-timeout 1000 --lamp status");
  EXPECT_EQ(0u, run.exit_code) << run.output;
}

}  // namespace
}  // namespace zorvik
