/* The values a host passes to and reads from the scanner component: device
 * I/O and lock types, scan modes, options, grey channels, scan methods and
 * bit depths, the gamma table size, the log's function-attribute and
 * destination bits and its settings key, and the driver error codes with
 * their names. The one place these values are written down; zorvik.h (the
 * compiled IDL) includes it, so a host that includes zorvik.h has them.
 *
 * Plain C (C89 and later) and C++, with no system header, so pure logic that
 * is built and tested apart from Windows can use it too. */
#ifndef ZORVIK_CONTRACT_H
#define ZORVIK_CONTRACT_H

/* IScanner::OpenScannerSession, dwDevIOType: the scanner's connection. The
 * 7310 is a USB scanner; any other type fails with error code 13. */
#define ZORVIK_DEVICE_IO_USB 1u

/* IScanner::LockScanner, wLockType. PROCESS: any thread of the locking
 * process holds the scanner; THREAD: only the locking thread does. */
#define ZORVIK_LOCK_PROCESS 0u
#define ZORVIK_LOCK_THREAD 1u

/* SCANNER_PARAMETERS.dwScanMode (exactly one), and the bits of
 * SCANNER_CAPABILITIES.dwScanModesSupported. The capabilities list COLOR and
 * GREYSCALE; BW is accepted all the same. */
#define ZORVIK_SCAN_MODE_COLOR 0x1u
#define ZORVIK_SCAN_MODE_GREYSCALE 0x2u
#define ZORVIK_SCAN_MODE_BW 0x4u

/* SCANNER_PARAMETERS.byBitsPerChannel: COLOR and GREYSCALE take 8 or 16
 * (8 or less selects the 8-bit layouts, more than 8 the 16-bit ones); BW
 * takes 1 (one bit per pixel; more than 8 would count two). */
#define ZORVIK_BITS_PER_CHANNEL_8 8u
#define ZORVIK_BITS_PER_CHANNEL_16 16u
#define ZORVIK_BITS_PER_CHANNEL_BW 1u

/* Bits of SCANNER_PARAMETERS.dwScanOptions and of dwScanOptionsSupported.
 * PIXEL_COORDINATES: the area is in pixels at the requested resolutions
 * instead of 1/300 inch. PREVIEW is accepted and changes nothing. */
#define ZORVIK_SCAN_OPTION_PREVIEW 0x1u
#define ZORVIK_SCAN_OPTION_PIXEL_COORDINATES 0x2u

/* SCANNER_PARAMETERS.wGreyChannel, and the bits of wGreyChannelsSupported. */
#define ZORVIK_GREY_CHANNEL_RED 0x1u
#define ZORVIK_GREY_CHANNEL_GREEN 0x2u
#define ZORVIK_GREY_CHANNEL_BLUE 0x4u
#define ZORVIK_GREY_CHANNEL_NTSC 0x8u

/* SCANNER_PARAMETERS.wScanMethod. */
#define ZORVIK_SCAN_METHOD_FLATBED 0u
#define ZORVIK_SCAN_METHOD_ADF 1u
#define ZORVIK_SCAN_METHOD_XPA_POSITIVE 2u
#define ZORVIK_SCAN_METHOD_XPA_NEGATIVE 3u

/* Entries of each gamma table: what wGammaTableSize advertises, what a
 * session keeps and what IScanner::SetGammaTable takes at most. A session
 * starts with tables of zeros. */
#define ZORVIK_GAMMA_TABLE_SIZE 256u

/* ILog dwFunctionAttribute: what kind of line it is. A line is left out when
 * it shares a bit with the LogFilter setting. */
#define LOG_ATTR_BUTTON 0x1u
#define LOG_ATTR_TRACE 0x2u
#define LOG_ATTR_LOCK 0x4u
#define LOG_ATTR_DETAIL 0x8u

/* Bits of the LogDestination setting: the log file, the debugger output,
 * the outside log sink. */
#define LOG_DEST_FILE 0x1u
#define LOG_DEST_DEBUGGER 0x2u
#define LOG_DEST_SINK 0x4u

/* The log settings: a key under HKEY_LOCAL_MACHINE (64-bit view) named by
 * the coclass's CLSID, read once per process, with the DWORD values
 * LogEnabled, LogFilter and LogDestination and the string value LogFile (at
 * most 259 bytes in the system code page; default: larkspur.log in the
 * temporary folder of the program that logs). */
#define ZORVIK_LOG_SETTINGS_KEY_BASE "Software\\Quennell\\Vistrel\\Larkspur\\"
#define ZORVIK_CLSID_TEXT "{F7E24288-B19F-4614-BFCC-15269A94ADF6}"
#define ZORVIK_LOG_SETTINGS_KEY ZORVIK_LOG_SETTINGS_KEY_BASE ZORVIK_CLSID_TEXT
#define ZORVIK_LOG_ENABLED_VALUE "LogEnabled"
#define ZORVIK_LOG_FILTER_VALUE "LogFilter"
#define ZORVIK_LOG_DESTINATION_VALUE "LogDestination"
#define ZORVIK_LOG_FILE_VALUE "LogFile"
#define ZORVIK_DEFAULT_LOG_FILE_NAME "larkspur.log"

/* Any string of this header as a wide string, for the W functions:
 * ZORVIK_WIDE(ZORVIK_LOG_SETTINGS_KEY). */
#define ZORVIK_WIDE_(text) L##text
#define ZORVIK_WIDE(text) ZORVIK_WIDE_(text)

/* Driver error codes: the last out-parameter of every IScanner and IButton
 * method. S_OK always comes with 0; E_FAIL with the reason. */
#define ZORVIK_ERROR_NO_ERROR 0u
#define ZORVIK_ERROR_INVALID_SESSION 1u
#define ZORVIK_ERROR_INVALID_PARAMETER 2u
#define ZORVIK_ERROR_SCANNER_NOT_FOUND 3u
#define ZORVIK_ERROR_SCANNER_NOT_LOCKED 4u
#define ZORVIK_ERROR_SCANNER_LOCK_FAILED 5u
#define ZORVIK_ERROR_LAMP_OFF 6u
#define ZORVIK_ERROR_CALIBRATION_FAILED 7u
#define ZORVIK_ERROR_OUT_OF_MEMORY 8u
#define ZORVIK_ERROR_UNKNOWN_TOOLKIT_ERROR 9u
#define ZORVIK_ERROR_NOT_IMPLEMENTED 10u
#define ZORVIK_ERROR_CARRIAGE_NOT_HOME 11u
#define ZORVIK_ERROR_COMMUNICATION_FAILURE 12u
#define ZORVIK_ERROR_TOOLKIT_OPEN_FAILURE 13u
#define ZORVIK_ERROR_INVALID_HW_PROPERTY 14u
#define ZORVIK_ERROR_UNEXPECTED_END_OF_MEDIA 15u
#define ZORVIK_ERROR_CANCEL_BUTTON_PRESSED 16u
#define ZORVIK_ERROR_ADF_JAMMED 100u
#define ZORVIK_ERROR_ADF_EMPTY 101u
#define ZORVIK_ERROR_ADF_UNEXPECTED_END_OF_PAGE 102u

/* widl reads this header for the type library's enums; it has no use for
 * the function. */
#ifndef __WIDL__
/* The name of a driver error code, as the component's log prints it; "no
 * definition" for every unassigned number. */
static inline const char* ZorvikDriverErrorName(unsigned long code) {
  switch (code) {
    case ZORVIK_ERROR_NO_ERROR:
      return "No Error";
    case ZORVIK_ERROR_INVALID_SESSION:
      return "Invalid Session";
    case ZORVIK_ERROR_INVALID_PARAMETER:
      return "Invalid Parameter Specified";
    case ZORVIK_ERROR_SCANNER_NOT_FOUND:
      return "Scanner Not Found";
    case ZORVIK_ERROR_SCANNER_NOT_LOCKED:
      return "Scanner Not Locked";
    case ZORVIK_ERROR_SCANNER_LOCK_FAILED:
      return "Scanner Lock Failed";
    case ZORVIK_ERROR_LAMP_OFF:
      return "Scanner Lamp is Off";
    case ZORVIK_ERROR_CALIBRATION_FAILED:
      return "Scanner Calibration Failed";
    case ZORVIK_ERROR_OUT_OF_MEMORY:
      return "Out of Memory";
    case ZORVIK_ERROR_UNKNOWN_TOOLKIT_ERROR:
      return "Unknown Toolkit Error";
    case ZORVIK_ERROR_NOT_IMPLEMENTED:
      return "Method Not Implemented";
    case ZORVIK_ERROR_CARRIAGE_NOT_HOME:
      return "Scanner carriage failed to return home";
    case ZORVIK_ERROR_COMMUNICATION_FAILURE:
      return "Scanner communication failure";
    case ZORVIK_ERROR_TOOLKIT_OPEN_FAILURE:
      return "Toolkit open failure";
    case ZORVIK_ERROR_INVALID_HW_PROPERTY:
      return "Invalid HW Property";
    case ZORVIK_ERROR_UNEXPECTED_END_OF_MEDIA:
      return "Unexpected end of media";
    case ZORVIK_ERROR_CANCEL_BUTTON_PRESSED:
      return "Cancel button pressed";
    case ZORVIK_ERROR_ADF_JAMMED:
      return "ADF is Jammed";
    case ZORVIK_ERROR_ADF_EMPTY:
      return "ADF is empty";
    case ZORVIK_ERROR_ADF_UNEXPECTED_END_OF_PAGE:
      return "ADF unexpected end of page";
    default:
      return "no definition";
  }
}
#endif /* __WIDL__ */

#endif /* ZORVIK_CONTRACT_H */
