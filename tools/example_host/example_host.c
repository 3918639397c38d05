/* example_host: the smallest complete scanning host of the zorvik component,
 * in plain C. It opens the scanner, takes the device lock, reads the
 * capabilities, sizes a scan of one inch by half an inch at 75 dpi in colour,
 * loads identity gamma tables, scans, and writes the image bytes exactly as
 * the scanner delivered them (blue, green, red per pixel, line after line)
 * into a raw file; then it unlocks and closes, also after a failure. Every
 * failure is reported as the method, its HRESULT and the driver error code
 * with its name.
 *
 *   example_host OUTPUT.raw [DEVICE-PATH]
 *
 * Build it with the package's include folder and its GUID definitions:
 *
 *   x86_64-w64-mingw32-gcc -Iinclude example/example_host.c include/zorvik_i.c \
 *       -lole32 -luuid -o example_host.exe
 *   cl /Iinclude example\example_host.c include\zorvik_i.c ole32.lib uuid.lib
 */
#define COBJMACROS
#include <windows.h>
#include <objbase.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "zorvik.h"

/* The scan: one inch across, half an inch down, starting half an inch from
 * the left and an inch and a half from the top, in 1/300 inch. */
#define SCAN_LEFT 150
#define SCAN_TOP 450
#define SCAN_WIDTH 300
#define SCAN_HEIGHT 150
#define SCAN_RESOLUTION 75
#define LOCK_TIMEOUT_MS 5000
#define READ_PIECE_BYTES 4096

/* Nonzero when the call failed; then says so on standard error. Anything but
 * S_OK with error code 0 is a failure. */
static int Failed(const char* method, HRESULT hr, DWORD error) {
  if (hr == S_OK && error == ZORVIK_ERROR_NO_ERROR) return 0;
  fprintf(stderr, "example_host: %s failed: HRESULT 0x%08lX, driver error %lu (%s)\n", method,
          (unsigned long)hr, (unsigned long)error, ZorvikDriverErrorName(error));
  return 1;
}

/* The scan itself, with the session open and locked. 0 on success. */
static int Scan(IScanner* scanner, DWORD session, const char* output) {
  SCANNER_CAPABILITIES capabilities;
  SCANNER_PARAMETERS parameters;
  BUFFER_INFO geometry;
  BYTE gamma[ZORVIK_GAMMA_TABLE_SIZE];
  BYTE* image = NULL;
  DWORD image_bytes = 0;
  DWORD received = 0;
  DWORD error = 0;
  FILE* file = NULL;
  unsigned i;
  int status = 1;

  memset(&capabilities, 0, sizeof capabilities);
  if (Failed("GetScannerCapabilities",
             IScanner_GetScannerCapabilities(scanner, session, &capabilities, &error), error)) {
    return 1;
  }
  printf("scanner %.16s, %u to %u dpi\n", (const char*)capabilities.byModelNumber,
         capabilities.wMinimumResolution, capabilities.wMaximumXResolution);

  memset(&parameters, 0, sizeof parameters);
  parameters.dwLeft = SCAN_LEFT;
  parameters.dwTop = SCAN_TOP;
  parameters.dwWidth = SCAN_WIDTH;
  parameters.dwLength = SCAN_HEIGHT;
  parameters.dwScanMode = ZORVIK_SCAN_MODE_COLOR;
  parameters.byBitsPerChannel = ZORVIK_BITS_PER_CHANNEL_8;
  parameters.wXResolution = SCAN_RESOLUTION;
  parameters.wYResolution = SCAN_RESOLUTION;
  parameters.wGreyChannel = ZORVIK_GREY_CHANNEL_GREEN;
  parameters.wScanMethod = ZORVIK_SCAN_METHOD_FLATBED;
  if (Failed("GetBufferInfo",
             IScanner_GetBufferInfo(scanner, session, &parameters, &geometry, &error), error) ||
      Failed("SetScannerParameters",
             IScanner_SetScannerParameters(scanner, session, &parameters, &error), error)) {
    return 1;
  }

  /* A session starts with tables of zeros, which turn every sample black. */
  for (i = 0; i < ZORVIK_GAMMA_TABLE_SIZE; ++i) gamma[i] = (BYTE)i;
  if (Failed("SetGammaTable",
             IScanner_SetGammaTable(scanner, session, ZORVIK_GAMMA_TABLE_SIZE, gamma, gamma, gamma,
                                    &error),
             error)) {
    return 1;
  }

  image_bytes = geometry.dwBytesPerLine * geometry.dwPixelHeight;
  image = (BYTE*)malloc(image_bytes);
  if (image == NULL) {
    fprintf(stderr, "example_host: no memory for %lu bytes\n", (unsigned long)image_bytes);
    return 1;
  }
  if (!Failed("StartScan", IScanner_StartScan(scanner, session, &error), error)) {
    while (received < image_bytes) {
      DWORD wanted = image_bytes - received;
      DWORD got = 0;
      if (wanted > READ_PIECE_BYTES) wanted = READ_PIECE_BYTES;
      if (Failed("ReadScanEx",
                 IScanner_ReadScanEx(scanner, session, image + received, wanted, &got, &error),
                 error)) {
        break;
      }
      if (got == 0 || got > wanted) {
        fprintf(stderr, "example_host: the scanner delivered %lu bytes of %lu asked for\n",
                (unsigned long)got, (unsigned long)wanted);
        break;
      }
      received += got;
    }
    /* Stopped also after a failed read, so the scanner is ready again. */
    if (!Failed("StopScan", IScanner_StopScan(scanner, session, &error), error) &&
        received == image_bytes) {
      status = 0;
    }
  }

  if (status == 0) {
    file = fopen(output, "wb");
    if (file == NULL || fwrite(image, 1, image_bytes, file) != image_bytes) {
      fprintf(stderr, "example_host: cannot write %s\n", output);
      status = 1;
    }
    if (file != NULL && fclose(file) != 0) status = 1;
  }
  if (status == 0) {
    printf("%lu x %lu pixels, %lu bytes per line, written to %s\n",
           (unsigned long)geometry.dwPixelWidth, (unsigned long)geometry.dwPixelHeight,
           (unsigned long)geometry.dwBytesPerLine, output);
  }
  free(image);
  return status;
}

int main(int argc, char** argv) {
  IScanner* scanner = NULL;
  WCHAR device[MAX_PATH];
  DWORD session = 0;
  DWORD error = 0;
  HRESULT hr;
  int status = 1;

  if (argc < 2 || argc > 3) {
    fprintf(stderr, "usage: example_host OUTPUT.raw [DEVICE-PATH]\n");
    return 2;
  }
  if (argc == 3 && MultiByteToWideChar(CP_ACP, 0, argv[2], -1, device, MAX_PATH) == 0) {
    fprintf(stderr, "example_host: the device path is too long\n");
    return 2;
  }

  hr = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) {
    fprintf(stderr, "example_host: CoInitializeEx failed: HRESULT 0x%08lX\n", (unsigned long)hr);
    return 1;
  }
  hr = CoCreateInstance(&CLSID_ZORVIK, NULL, CLSCTX_INPROC_SERVER, &IID_IScanner,
                        (void**)&scanner);
  if (FAILED(hr)) {
    fprintf(stderr,
            "example_host: creating Zorvik.Scanner failed: HRESULT 0x%08lX (is zorvik.dll "
            "registered?)\n",
            (unsigned long)hr);
  } else {
    /* A null device path opens the toolkit's default device. */
    if (!Failed("OpenScannerSession",
                IScanner_OpenScannerSession(scanner, argc == 3 ? device : NULL,
                                            ZORVIK_DEVICE_IO_USB, &session, &error),
                error)) {
      if (!Failed("LockScanner",
                  IScanner_LockScanner(scanner, session, ZORVIK_LOCK_THREAD, LOCK_TIMEOUT_MS,
                                       &error),
                  error)) {
        status = Scan(scanner, session, argv[1]);
        if (Failed("UnlockScanner", IScanner_UnlockScanner(scanner, session, &error), error)) {
          status = 1;
        }
      }
      if (Failed("CloseScannerSession", IScanner_CloseScannerSession(scanner, session, &error),
                 error)) {
        status = 1;
      }
    }
    IScanner_Release(scanner);
  }
  CoUninitialize();
  return status;
}
