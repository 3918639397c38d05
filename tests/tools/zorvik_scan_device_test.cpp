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
#include <string>
#include <vector>

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

// The scan window of every image test: 2 x 1 inch at 100 dpi, starting half
// an inch in and an inch and a half down, so it crosses grid lines and cells.
constexpr uint32_t kResolution = 100;
constexpr uint32_t kLeft300ths = 150;
constexpr uint32_t kTop300ths = 450;
constexpr uint32_t kWidth = 200;
constexpr uint32_t kHeight = 100;
constexpr wchar_t kWindow[] = L"--unit in -l 0.5 -t 1.5 -x 2 -y 1 --resolution 100";

struct DecodedImage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t channels = 0;  // 3 (blue, green, red) or 1 (grey)
  std::vector<uint8_t> pixels;
};

// Decodes `path` with WIC into 8-bit blue-green-red or 8-bit grey.
HRESULT DecodeImage(const std::wstring& path, bool grey, DecodedImage* image) {
  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory));
  ComPtr<IWICBitmapDecoder> decoder;
  if (SUCCEEDED(hr)) {
    hr = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                            WICDecodeMetadataCacheOnDemand, &decoder);
  }
  ComPtr<IWICBitmapFrameDecode> frame;
  if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, &frame);
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

// A device file for the simulator, deleted when the test ends.
class DeviceFile {
 public:
  DeviceFile(const wchar_t* name, const std::string& text) : path_(TempImagePath(name)) {
    UniqueHandle file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file)
      WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
  ~DeviceFile() { DeleteFileW(path_.c_str()); }
  DeviceFile(const DeviceFile&) = delete;
  DeviceFile& operator=(const DeviceFile&) = delete;
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

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

  test::ScopedApartment apartment_;
  test::ZorvikModule module_;
  test::ScopedRegistration registration_{module_};
  DeviceFile device_{L"7310.txt", ""};
  const std::wstring device_option_ = L"-d \"" + device_.path() + L"\" ";
};

struct ImageCase {
  const char* label;
  const wchar_t* arguments;
  bool grey;
  double gamma;
};

TEST_F(ZorvikScanDeviceTest, ScannedImageIsTheChartOfTheWindow) {
  const ImageCase cases[] = {
      {"colour png", L"--mode Color", false, 1.0},
      {"grey png", L"--mode Gray", true, 1.0},
      {"colour tiff with gamma", L"--mode Color --gamma 2 --format tiff", false, 2.0},
  };
  for (const ImageCase& scan : cases) {
    SCOPED_TRACE(scan.label);
    const std::wstring path = TempImagePath(L"chart");
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

TEST_F(ZorvikScanDeviceTest, MissingDeviceNamesTheMethodAndLeavesNoFile) {
  const std::wstring path = TempImagePath(L"missing.png");
  const ProgramRun run =
      RunZorvikScan(L"-d C:\\no\\such\\scanner --resolution 75 -o \"" + path + L"\"");
  EXPECT_EQ(1u, run.exit_code);
  EXPECT_NE(std::string::npos,
            run.output.find("OpenScannerSession failed: HRESULT 0x80004005 (E_FAIL), driver "
                            "error 3 (Scanner Not Found)"))
      << run.output;
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}

struct DeviceCase {
  const char* label;
  const char* device_file;
  const wchar_t* arguments;
  DWORD exit_code;
  const char* expected_output;
};

TEST_F(ZorvikScanDeviceTest, DeviceAnswersReachTheUser) {
  const DeviceCase cases[] = {
      {"a read fails mid-scan", "fail = ReadScan status 156 after 5000\n", L"--resolution 75", 1,
       "ReadScanEx failed: HRESULT 0x80004005 (E_FAIL), driver error "},
      {"the scanner refuses to start", "fail = StartScan status 156\n", L"--resolution 75", 1,
       "StartScan failed: HRESULT 0x80004005 (E_FAIL), driver error "},
      {"buttons read once", "press = 2 after 1\n", L"--buttons", 0, "Button 2: released"},
      {"a press waited for", "press = 2 after 3\n", L"--wait-for-button", 0, "Button 2: pressed"},
  };
  for (const DeviceCase& device : cases) {
    SCOPED_TRACE(device.label);
    const DeviceFile file(L"device.txt", device.device_file);
    const std::wstring image = TempImagePath(L"device.png");
    const ProgramRun run = RunZorvikScan(L"-d \"" + file.path() + L"\" " + device.arguments +
                                         L" -o \"" + image + L"\"");
    EXPECT_EQ(device.exit_code, run.exit_code) << run.output;
    EXPECT_NE(std::string::npos, run.output.find(device.expected_output)) << run.output;
    // Giving back the lock and the session after a failure raises no second one.
    EXPECT_EQ(std::string::npos, run.output.find("UnlockScanner failed")) << run.output;
    EXPECT_EQ(std::string::npos, run.output.find("CloseScannerSession failed")) << run.output;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(image.c_str()));
  }
}

TEST_F(ZorvikScanDeviceTest, ScannerLockedByAnotherHostIsSaidSoAndFreedAfterwards) {
  ComPtr<IScanner> scanner;
  ASSERT_EQ(S_OK,
            CoCreateInstance(CLSID_ZORVIK, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&scanner)));
  std::wstring device_path = device_.path();
  DWORD session = 0;
  DWORD error = 0xDEADBEEF;
  ASSERT_EQ(S_OK, scanner->OpenScannerSession(device_path.data(), 1, &session, &error));
  ASSERT_EQ(S_OK, scanner->LockScanner(session, 1, 0, &error));

  const std::wstring path = TempImagePath(L"locked.png");
  ProgramRun run =
      RunZorvikScan(device_option_ + L"--lock-timeout 100 --resolution 75 -o \"" + path + L"\"");
  EXPECT_EQ(1u, run.exit_code);
  // Opening the device already waits for the lock, so either call may be the
  // one that gives up.
  EXPECT_NE(std::string::npos,
            run.output.find("failed: HRESULT 0x80004005 (E_FAIL), driver error 5 (Scanner Lock "
                            "Failed)"))
      << run.output;
  EXPECT_NE(std::string::npos, run.output.find("another program is using the scanner"))
      << run.output;
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));

  EXPECT_EQ(S_OK, scanner->UnlockScanner(session, &error));
  EXPECT_EQ(S_OK, scanner->CloseScannerSession(session, &error));
  // The lamp status needs the lock: the program takes it once it is free.
  run = RunZorvikScan(device_option_ + L"--lock-timeout 5000 --lamp status");
  EXPECT_EQ(0u, run.exit_code) << run.output;
  EXPECT_NE(std::string::npos, run.output.find("Lamp: on")) << run.output;
}

}  // namespace
}  // namespace zorvik
