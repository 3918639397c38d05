// What a host reads from the type library embedded in zorvik.dll.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_paths.h"
#include "zorvik.h"

using Microsoft::WRL::ComPtr;

namespace zorvik {
namespace {

std::wstring MemberName(ITypeInfo* info, MEMBERID id) {
  BSTR name = nullptr;
  if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) return L"?";
  std::wstring result = name ? name : L"";
  SysFreeString(name);
  return result;
}

std::wstring DocString(ITypeInfo* info) {
  BSTR doc = nullptr;
  if (FAILED(info->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr))) return L"?";
  std::wstring result = doc ? doc : L"";
  SysFreeString(doc);
  return result;
}

class TypeLibraryTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, LoadTypeLibEx(test::BesideExecutable(L"zorvik.dll").c_str(), REGKIND_NONE,
                                  &library_));
  }

  ComPtr<ITypeInfo> InfoOf(REFGUID guid) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(S_OK, library_->GetTypeInfoOfGuid(guid, &info));
    return info;
  }

  ComPtr<ITypeInfo> InfoNamed(const wchar_t* name) {
    for (UINT i = 0; i < library_->GetTypeInfoCount(); ++i) {
      ComPtr<ITypeInfo> info;
      if (SUCCEEDED(library_->GetTypeInfo(i, &info)) &&
          MemberName(info.Get(), MEMBERID_NIL) == name)
        return info;
    }
    return nullptr;
  }

  ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibraryTest, LibraryAttributes) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(S_OK, library_->GetLibAttr(&attr));
  EXPECT_TRUE(IsEqualGUID(LIBID_ZORVIKLib, attr->guid));
  EXPECT_EQ(1, attr->wMajorVerNum);
  EXPECT_EQ(0, attr->wMinorVerNum);
  EXPECT_EQ(SYS_WIN64, attr->syskind);
  EXPECT_EQ(0u, attr->lcid);
  library_->ReleaseTLibAttr(attr);

  BSTR name = nullptr;
  BSTR doc = nullptr;
  ASSERT_EQ(S_OK, library_->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr));
  EXPECT_STREQ(L"ZORVIKLib", name);
  EXPECT_STREQ(L"zorvik 1.0 Type Library", doc);
  SysFreeString(name);
  SysFreeString(doc);
}

struct InterfaceCase {
  const IID* iid;
  const wchar_t* name;
  const wchar_t* help;
  std::vector<std::wstring> methods;
};

TEST_F(TypeLibraryTest, InterfacesHaveTheirMethodsInSlotOrder) {
  const InterfaceCase cases[] = {
      {&IID_IScanner,
       L"IScanner",
       L"IScanner Interface",
       {L"OpenScannerSession", L"CloseScannerSession", L"LockScanner", L"UnlockScanner",
        L"GetLampStatus", L"LampOn", L"LampOff", L"GetScannerCapabilities", L"GetBufferInfo",
        L"InitializeScanner", L"ResetScanner", L"SetScannerParameters", L"SetGammaTable",
        L"StartScan", L"StopScan", L"ReadScan", L"ReadScanEx"}},
      {&IID_ILog, L"ILog", L"ILog Interface", {L"LogString", L"IsEnabled"}},
      {&IID_IButton,
       L"IButton",
       L"IButton Interface",
       {L"GetButtonCount", L"GetButtonState", L"GetButtonStateEx", L"ResetButton",
        L"ResetButtonsEx"}},
  };
  for (const InterfaceCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "interface " << std::string(c.name, c.name + wcslen(c.name)));
    ComPtr<ITypeInfo> info = InfoOf(*c.iid);
    ASSERT_TRUE(info);
    EXPECT_EQ(c.name, MemberName(info.Get(), MEMBERID_NIL));
    EXPECT_EQ(c.help, DocString(info.Get()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
    EXPECT_EQ(c.methods.size(), attr->cFuncs);
    EXPECT_EQ((3 + c.methods.size()) * sizeof(void*), attr->cbSizeVft);
    EXPECT_EQ(0, attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION));
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < c.methods.size(); ++i) {
      FUNCDESC* func = nullptr;
      ASSERT_EQ(S_OK, info->GetFuncDesc(i, &func));
      EXPECT_EQ(c.methods[i], MemberName(info.Get(), func->memid)) << "slot " << i + 3;
      EXPECT_EQ(static_cast<SHORT>((3 + i) * sizeof(void*)), func->oVft);
      info->ReleaseFuncDesc(func);
    }
  }
}

// Parameter names and directions of the methods hosts are most likely to
// read by reflection, including the odd pdwdErrorCode spelling.
TEST_F(TypeLibraryTest, ParametersKeepTheirNamesAndDirections) {
  struct ParamCase {
    const IID* iid;
    UINT function;
    std::vector<std::wstring> names;
    std::vector<USHORT> directions;
  };
  const USHORT in = PARAMFLAG_FIN;
  const USHORT out = PARAMFLAG_FOUT;
  const ParamCase cases[] = {
      {&IID_IScanner,
       0,
       {L"pszDevName", L"dwDevIOType", L"phSession", L"pdwErrorCode"},
       {in, in, out, out}},
      {&IID_IScanner,
       8,
       {L"hSession", L"pScanParam", L"pBufferInfo", L"pdwdErrorCode"},
       {in, in, out, out}},
      {&IID_IScanner,
       12,
       {L"hSession", L"uSz", L"pbyRed", L"pbyGreen", L"pbyBlue", L"pdwErrorCode"},
       {in, in, in, in, in, out}},
      {&IID_IScanner,
       15,
       {L"hSession", L"pbyBuffer", L"dwBytes", L"pdwErrorCode"},
       {in, out, in, out}},
      {&IID_IScanner,
       16,
       {L"hSession", L"pbyBuffer", L"dwBytes", L"pdwBytesRead", L"pdwErrorCode"},
       {in, out, in, out, out}},
      {&IID_IButton, 2, {L"hSession", L"byCount", L"pState", L"pdwErrorCode"}, {in, in, out, out}},
      {&IID_ILog, 0, {L"dwFunctionAttribute", L"pszString"}, {in, in}},
      {&IID_ILog, 1, {L"dwFunctionAttribute", L"pbyEnabled"}, {in, out}},
  };
  for (const ParamCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "function " << c.function);
    ComPtr<ITypeInfo> info = InfoOf(*c.iid);
    ASSERT_TRUE(info);
    FUNCDESC* func = nullptr;
    ASSERT_EQ(S_OK, info->GetFuncDesc(c.function, &func));
    ASSERT_EQ(static_cast<SHORT>(c.names.size()), func->cParams);
    BSTR names[8] = {};
    UINT count = 0;
    ASSERT_EQ(S_OK, info->GetNames(func->memid, names, 8, &count));
    ASSERT_EQ(c.names.size() + 1, count);
    for (size_t p = 0; p < c.names.size(); ++p) {
      EXPECT_EQ(c.names[p], names[p + 1]) << "parameter " << p;
      EXPECT_EQ(c.directions[p],
                func->lprgelemdescParam[p].paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT))
          << "parameter " << p;
    }
    for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
    info->ReleaseFuncDesc(func);
  }
}

TEST_F(TypeLibraryTest, RecordsHaveTheirContractSizes) {
  const struct {
    const wchar_t* name;
    ULONG size;
    WORD fields;
  } cases[] = {
      {L"SCANNER_CAPABILITIES", 124, 20}, {L"SCANNER_PARAMETERS", 84, 12}, {L"BUFFER_INFO", 52, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size);
    ComPtr<ITypeInfo> info = InfoNamed(c.name);
    ASSERT_TRUE(info);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_RECORD, attr->typekind);
    EXPECT_EQ(c.size, attr->cbSizeInstance);
    EXPECT_EQ(c.fields, attr->cVars);
    info->ReleaseTypeAttr(attr);
  }
}

// A host that imports the type library gets the contract's numbers by name:
// each enum holds exactly these members, in this order, with the values the
// contract header gives them.
TEST_F(TypeLibraryTest, EnumsCarryTheContractsValues) {
  struct Member {
    const wchar_t* name;
    unsigned long value;
  };
  const struct {
    const wchar_t* name;
    std::vector<Member> members;
  } cases[] = {
      {L"ZorvikDeviceIoType", {{L"ZorvikDeviceIoUsb", ZORVIK_DEVICE_IO_USB}}},
      {L"ZorvikLockType",
       {{L"ZorvikLockProcess", ZORVIK_LOCK_PROCESS}, {L"ZorvikLockThread", ZORVIK_LOCK_THREAD}}},
      {L"ZorvikScanMode",
       {{L"ZorvikScanModeColor", ZORVIK_SCAN_MODE_COLOR},
        {L"ZorvikScanModeGreyscale", ZORVIK_SCAN_MODE_GREYSCALE},
        {L"ZorvikScanModeBw", ZORVIK_SCAN_MODE_BW}}},
      {L"ZorvikBitsPerChannel",
       {{L"ZorvikBitsPerChannel8", ZORVIK_BITS_PER_CHANNEL_8},
        {L"ZorvikBitsPerChannel16", ZORVIK_BITS_PER_CHANNEL_16},
        {L"ZorvikBitsPerChannelBw", ZORVIK_BITS_PER_CHANNEL_BW}}},
      {L"ZorvikScanOption",
       {{L"ZorvikScanOptionPreview", ZORVIK_SCAN_OPTION_PREVIEW},
        {L"ZorvikScanOptionPixelCoordinates", ZORVIK_SCAN_OPTION_PIXEL_COORDINATES}}},
      {L"ZorvikGreyChannel",
       {{L"ZorvikGreyChannelRed", ZORVIK_GREY_CHANNEL_RED},
        {L"ZorvikGreyChannelGreen", ZORVIK_GREY_CHANNEL_GREEN},
        {L"ZorvikGreyChannelBlue", ZORVIK_GREY_CHANNEL_BLUE},
        {L"ZorvikGreyChannelNtsc", ZORVIK_GREY_CHANNEL_NTSC}}},
      {L"ZorvikScanMethod",
       {{L"ZorvikScanMethodFlatbed", ZORVIK_SCAN_METHOD_FLATBED},
        {L"ZorvikScanMethodAdf", ZORVIK_SCAN_METHOD_ADF},
        {L"ZorvikScanMethodXpaPositive", ZORVIK_SCAN_METHOD_XPA_POSITIVE},
        {L"ZorvikScanMethodXpaNegative", ZORVIK_SCAN_METHOD_XPA_NEGATIVE}}},
      {L"ZorvikGammaTable", {{L"ZorvikGammaTableSize", ZORVIK_GAMMA_TABLE_SIZE}}},
      {L"ZorvikLogAttribute",
       {{L"ZorvikLogAttributeButton", LOG_ATTR_BUTTON},
        {L"ZorvikLogAttributeTrace", LOG_ATTR_TRACE},
        {L"ZorvikLogAttributeLock", LOG_ATTR_LOCK},
        {L"ZorvikLogAttributeDetail", LOG_ATTR_DETAIL}}},
      {L"ZorvikLogDestination",
       {{L"ZorvikLogDestinationFile", LOG_DEST_FILE},
        {L"ZorvikLogDestinationDebugger", LOG_DEST_DEBUGGER},
        {L"ZorvikLogDestinationSink", LOG_DEST_SINK}}},
      {L"ZorvikDriverError",
       {{L"ZorvikErrorNoError", ZORVIK_ERROR_NO_ERROR},
        {L"ZorvikErrorInvalidSession", ZORVIK_ERROR_INVALID_SESSION},
        {L"ZorvikErrorInvalidParameter", ZORVIK_ERROR_INVALID_PARAMETER},
        {L"ZorvikErrorScannerNotFound", ZORVIK_ERROR_SCANNER_NOT_FOUND},
        {L"ZorvikErrorScannerNotLocked", ZORVIK_ERROR_SCANNER_NOT_LOCKED},
        {L"ZorvikErrorScannerLockFailed", ZORVIK_ERROR_SCANNER_LOCK_FAILED},
        {L"ZorvikErrorLampOff", ZORVIK_ERROR_LAMP_OFF},
        {L"ZorvikErrorCalibrationFailed", ZORVIK_ERROR_CALIBRATION_FAILED},
        {L"ZorvikErrorOutOfMemory", ZORVIK_ERROR_OUT_OF_MEMORY},
        {L"ZorvikErrorUnknownToolkitError", ZORVIK_ERROR_UNKNOWN_TOOLKIT_ERROR},
        {L"ZorvikErrorNotImplemented", ZORVIK_ERROR_NOT_IMPLEMENTED},
        {L"ZorvikErrorCarriageNotHome", ZORVIK_ERROR_CARRIAGE_NOT_HOME},
        {L"ZorvikErrorCommunicationFailure", ZORVIK_ERROR_COMMUNICATION_FAILURE},
        {L"ZorvikErrorToolkitOpenFailure", ZORVIK_ERROR_TOOLKIT_OPEN_FAILURE},
        {L"ZorvikErrorInvalidHwProperty", ZORVIK_ERROR_INVALID_HW_PROPERTY},
        {L"ZorvikErrorUnexpectedEndOfMedia", ZORVIK_ERROR_UNEXPECTED_END_OF_MEDIA},
        {L"ZorvikErrorCancelButtonPressed", ZORVIK_ERROR_CANCEL_BUTTON_PRESSED},
        {L"ZorvikErrorAdfJammed", ZORVIK_ERROR_ADF_JAMMED},
        {L"ZorvikErrorAdfEmpty", ZORVIK_ERROR_ADF_EMPTY},
        {L"ZorvikErrorAdfUnexpectedEndOfPage", ZORVIK_ERROR_ADF_UNEXPECTED_END_OF_PAGE}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "enum " << std::string(c.name, c.name + wcslen(c.name)));
    ComPtr<ITypeInfo> info = InfoNamed(c.name);
    ASSERT_TRUE(info);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_ENUM, attr->typekind);
    const WORD count = attr->cVars;
    info->ReleaseTypeAttr(attr);
    ASSERT_EQ(c.members.size(), count);
    for (WORD i = 0; i < count; ++i) {
      VARDESC* var = nullptr;
      ASSERT_EQ(S_OK, info->GetVarDesc(i, &var));
      EXPECT_EQ(c.members[i].name, MemberName(info.Get(), var->memid));
      ASSERT_EQ(VAR_CONST, var->varkind);
      VARIANT value;
      VariantInit(&value);
      EXPECT_EQ(S_OK, VariantChangeType(&value, var->lpvarValue, 0, VT_UI4));
      EXPECT_EQ(c.members[i].value, value.ulVal) << "member " << i;
      info->ReleaseVarDesc(var);
    }
  }
}

TEST_F(TypeLibraryTest, CoclassImplementsScannerByDefaultThenLogAndButton) {
  ComPtr<ITypeInfo> info = InfoOf(CLSID_ZORVIK);
  ASSERT_TRUE(info);
  EXPECT_EQ(L"ZORVIK", MemberName(info.Get(), MEMBERID_NIL));
  EXPECT_EQ(L"Scanner Class", DocString(info.Get()));
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
  EXPECT_EQ(TKIND_COCLASS, attr->typekind);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
  ASSERT_EQ(3, attr->cImplTypes);
  info->ReleaseTypeAttr(attr);

  const IID* expected[] = {&IID_IScanner, &IID_ILog, &IID_IButton};
  for (UINT i = 0; i < 3; ++i) {
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(i, &ref));
    ComPtr<ITypeInfo> implemented;
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(ref, &implemented));
    TYPEATTR* impl_attr = nullptr;
    ASSERT_EQ(S_OK, implemented->GetTypeAttr(&impl_attr));
    EXPECT_TRUE(IsEqualGUID(*expected[i], impl_attr->guid)) << "implemented type " << i;
    implemented->ReleaseTypeAttr(impl_attr);
    INT flags = 0;
    ASSERT_EQ(S_OK, info->GetImplTypeFlags(i, &flags));
    EXPECT_EQ(i == 0, (flags & IMPLTYPEFLAG_FDEFAULT) != 0) << "implemented type " << i;
  }
}

}  // namespace
}  // namespace zorvik
