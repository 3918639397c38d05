// The files the image writer must not leave behind or touch: a target is
// replaced only by a complete image, whether a write fails, the writer is
// dropped uncommitted or its process is killed, and no temporary file stays.
#include <string>
#include <vector>

#include "child_process.h"
#include "image_test_files.h"
#include "unique_resource.h"

namespace zorvik::host {
namespace {

using ImageFileSafetyTest = ImageFileTest;

const ImageFormat kEveryFormat[] = {ImageFormat::kPng, ImageFormat::kTiff, ImageFormat::kBmp,
                                    ImageFormat::kJpeg};
const char kPreviousFile[] = "the previous scan, which must survive";

// Until Commit succeeds the target is what it was, existing or missing, and
// the scan lies in a temporary file beside it; a writer dropped before then
// leaves nothing of it.
TEST_F(ImageFileSafetyTest, AnUncommittedImageLeavesTheTargetAsItWas) {
  const ImageShape shape = ShapeOf(ScanPixels::kBgr24);
  const std::vector<uint8_t> scan = ScanBytes(shape);
  for (bool existed : {false, true}) {
    for (ImageFormat format : kEveryFormat) {
      SCOPED_TRACE(testing::Message() << "format " << static_cast<int>(format)
                                      << (existed ? ", over a file" : ", no file"));
      if (existed) Put(path_, kPreviousFile);
      const std::string before = Contents(path_);
      std::unique_ptr<ImageWriter> writer;
      ASSERT_HRESULT_SUCCEEDED(ImageWriter::Create(path_, format, shape, &writer));
      ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data(), scan.size() - shape.bytes_per_line));
      EXPECT_EQ(1, Temporaries(path_));
      EXPECT_EQ(before, Contents(path_));
      EXPECT_EQ(existed, FileExists());
      EXPECT_EQ(E_UNEXPECTED, writer->Commit());
      writer.reset();
      EXPECT_EQ(before, Contents(path_));
      EXPECT_EQ(existed, FileExists());
      EXPECT_EQ(0, Temporaries(path_));
      DeleteFileW(path_.c_str());
    }
  }
}

// Every way a write fails is reported with the system's error, wherever it
// strikes (creating, appending or committing), and leaves the target as it
// was with no temporary file.
TEST_F(ImageFileSafetyTest, AFailedWriteIsReportedAndLeavesTheTargetAsItWas) {
  const ImageShape shape = ShapeOf(ScanPixels::kBgr24, 40, 30);
  const std::vector<uint8_t> scan = ScanBytes(shape);
  enum class Fault { kNoFolder, kReadOnlyTarget, kFullDisk, kDiskOneByteShort };
  const struct {
    const char* label;
    Fault fault;
    HRESULT expected;
  } cases[] = {
      {"no folder", Fault::kNoFolder, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
      {"read-only target", Fault::kReadOnlyTarget, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)},
      {"full disk", Fault::kFullDisk, HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
      {"disk one byte short", Fault::kDiskOneByteShort, HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
  };
  for (const auto& test : cases) {
    for (ImageFormat format : kEveryFormat) {
      SCOPED_TRACE(testing::Message() << test.label << ", format " << static_cast<int>(format));
      const std::wstring target =
          test.fault == Fault::kNoFolder ? path_ + L"_no_such_folder\\page" : path_;
      uint64_t disk_bytes = UINT64_MAX;
      if (test.fault == Fault::kFullDisk) disk_bytes = 0;
      if (test.fault == Fault::kDiskOneByteShort) {
        ASSERT_HRESULT_SUCCEEDED(WriteImage(path_, format, shape, scan));
        disk_bytes = Contents(path_).size() - 1;
      }
      if (test.fault != Fault::kNoFolder) Put(path_, kPreviousFile);
      if (test.fault == Fault::kReadOnlyTarget) {
        SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY);
      }
      const std::string before = Contents(target);

      EXPECT_EQ(test.expected, WriteImage(target, format, shape, scan, disk_bytes));
      EXPECT_EQ(before, Contents(target));
      EXPECT_EQ(test.fault != Fault::kNoFolder,
                GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES);
      EXPECT_EQ(0, Temporaries(target));
      SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path_.c_str());
    }
  }
}

// The name of the event a writer child sets once it is halfway through.
std::wstring HalfwayEventName(const std::wstring& target) {
  std::wstring name = L"zorvik_image_writer_halfway_" + target;
  for (wchar_t& c : name) {
    if (c == L'\\' || c == L':') c = L'_';
  }
  return name;
}

const ImageShape kChildShape = ShapeOf(ScanPixels::kGrey16, 64, 64);

// Writes half an image over `argument`, says so, and waits to be killed.
ZORVIK_CHILD_ROLE(image_writer_killed_halfway) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 2;
  const std::vector<uint8_t> scan = ScanBytes(kChildShape);
  std::unique_ptr<ImageWriter> writer;
  if (FAILED(ImageWriter::Create(argument, ImageFormat::kTiff, kChildShape, &writer))) return 3;
  if (FAILED(writer->Append(scan.data(), scan.size() / 2))) return 4;
  const UniqueHandle halfway(
      OpenEventW(EVENT_MODIFY_STATE, FALSE, HalfwayEventName(argument).c_str()));
  if (!halfway) return 5;
  SetEvent(halfway.get());
  Sleep(60000);
  return 6;
}

// A writer whose process is killed leaves the previous file byte-identical,
// and the system removes its temporary file.
TEST_F(ImageFileSafetyTest, AKilledWriterLeavesThePreviousFileAndNoTemporary) {
  Put(path_, kPreviousFile);
  const UniqueHandle halfway(CreateEventW(nullptr, TRUE, FALSE, HalfwayEventName(path_).c_str()));
  ASSERT_TRUE(halfway);
  test::ChildProcess child("image_writer_killed_halfway", path_);
  ASSERT_TRUE(child.started());
  // The child's end instead of its word means it failed before halfway.
  const HANDLE either[] = {halfway.get(), child.handle()};
  ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, either, FALSE, 30000));
  EXPECT_EQ(1, Temporaries(path_));
  child.Kill();

  EXPECT_EQ(kPreviousFile, Contents(path_));
  // The system deletes the file as it closes the dead process's handles.
  for (int wait = 0; wait < 50 && Temporaries(path_) > 0; ++wait) Sleep(100);
  EXPECT_EQ(0, Temporaries(path_));
}

// Where the file system has no hard links, the complete file is copied to
// its second name instead; either way the target gets all of it.
TEST_F(ImageFileSafetyTest, PublishingReplacesTheTargetWithLinksOrWithout) {
  for (bool links : {true, false}) {
    SCOPED_TRACE(links ? "hard link" : "copy");
    Put(path_, kPreviousFile);
    std::unique_ptr<StagedFile> file;
    ASSERT_HRESULT_SUCCEEDED(StagedFile::Create(path_, &file));
    if (!links) file->DisableLinksForTesting();
    const std::string image = "a complete image";
    DWORD put = 0;
    ASSERT_TRUE(
        WriteFile(file->handle(), image.data(), static_cast<DWORD>(image.size()), &put, nullptr));
    EXPECT_EQ(kPreviousFile, Contents(path_));
    ASSERT_HRESULT_SUCCEEDED(file->Publish());
    file.reset();
    EXPECT_EQ(image, Contents(path_));
    EXPECT_EQ(0, Temporaries(path_));
  }
}

}  // namespace
}  // namespace zorvik::host
