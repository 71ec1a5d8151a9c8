#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "debug_output_listener.h"
#include "ext_test_util.h"
#include "guids.h"

namespace docwickext_test {
namespace {

// The shipped DLL, registered per machine and created through COM as the shell does.
class ContextMenuTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryW(ExtDllPath().c_str());
    ASSERT_TRUE(module_);
    ASSERT_EQ(S_OK, Export<DllRegisterServerFunc>(module_, "DllRegisterServer")());
  }

  static void TearDownTestSuite() {
    Export<DllRegisterServerFunc>(module_, "DllUnregisterServer")();
    FreeLibrary(module_);
  }

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TernShellExtension, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IContextMenu3, menu_.ReceiveVoid()));
    ASSERT_TRUE(menu_.get());
    log_.Clear();
  }

  void TearDown() override {
    menu_.Reset();
    CoUninitialize();
  }

  std::wstring Line(const std::wstring& message) const { return LogLine(module_, message); }

  static HMODULE module_;
  DebugOutputListener log_;
  ComPtr<IContextMenu3> menu_;
};

HMODULE ContextMenuTest::module_ = nullptr;

struct MenuEntry {
  UINT type;
  UINT id;
};

MenuEntry EntryAt(HMENU menu, UINT position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_ID;
  MenuEntry entry = {~0u, ~0u};
  if (GetMenuItemInfoW(menu, position, TRUE, &info))
    entry = {info.fType, info.wID};
  return entry;
}

TEST_F(ContextMenuTest, ServesItsInterfacesWithOneIdentity) {
  ComPtr<IUnknown> identity;
  ASSERT_EQ(S_OK, menu_->QueryInterface(IID_IUnknown, identity.ReceiveVoid()));
  for (const IID* iid : {&IID_ITernShellExtension, &IID_IDispatch, &IID_IShellExtInit,
                         &IID_IContextMenu, &IID_IContextMenu2, &IID_IContextMenu3}) {
    ComPtr<IUnknown> itf;
    ASSERT_EQ(S_OK, menu_->QueryInterface(*iid, itf.ReceiveVoid()));
    ComPtr<IUnknown> back;
    ASSERT_EQ(S_OK, itf->QueryInterface(IID_IUnknown, back.ReceiveVoid()));
    EXPECT_EQ(identity.get(), back.get());
  }
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, menu_->QueryInterface(IID_IPersistFile, &none));
  EXPECT_EQ(nullptr, none);
}

TEST_F(ContextMenuTest, DispatchTypeInformationComesFromTheTypeLibrary) {
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(S_OK, menu_->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()));
  UINT count = 0;
  EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
  EXPECT_EQ(1u, count);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, 0, info.Receive()));
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
  EXPECT_TRUE(IsEqualGUID(IID_ITernShellExtension, attr->guid));
  info->ReleaseTypeAttr(attr);
  EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, 0, info.Receive()));

  LPOLESTR names[] = {const_cast<LPOLESTR>(L"NoSuchMember")};
  DISPID id = 0;
  EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
}

TEST_F(ContextMenuTest, InitializeDeclinesEverySelection) {
  ComPtr<IShellExtInit> init;
  ASSERT_EQ(S_OK, menu_->QueryInterface(IID_IShellExtInit, init.ReceiveVoid()));
  EXPECT_EQ(E_NOTIMPL, init->Initialize(nullptr, nullptr, nullptr));
  HKEY key = HKEY_CLASSES_ROOT;
  EXPECT_EQ(E_NOTIMPL, init->Initialize(nullptr, nullptr, key));
}

TEST_F(ContextMenuTest, QueryContextMenuAddsNothingForRestrictedRequests) {
  struct Case {
    UINT flags;
    UINT first;
    UINT last;
    const wchar_t* line;
  } const cases[] = {
      {CMF_VERBSONLY | CMF_DEFAULTONLY, 100, 200,
       L"CTernShellExtension.QueryContextMenu CMF_VERBSONLY uFlags[0x3], indexMenu[1], "
       L"idCmdFirst[100], idCmdLast[200]\n"},
      {CMF_VERBSONLY, 100, 200,
       L"CTernShellExtension.QueryContextMenu CMF_VERBSONLY uFlags[0x2], indexMenu[1], "
       L"idCmdFirst[100], idCmdLast[200]\n"},
      {CMF_DEFAULTONLY, 100, 200,
       L"CTernShellExtension.QueryContextMenu CMF_DEFAULTONLY uFlags[0x1], indexMenu[1], "
       L"idCmdFirst[100], idCmdLast[200]\n"},
      {CMF_NORMAL, 100, 101,
       L"CTernShellExtension.QueryContextMenu uFlags[0x0], indexMenu[1], idCmdFirst[100], "
       L"idCmdLast[101]\n"},
      {CMF_EXPLORE, 0xFFFFFFFE, 0xFFFFFFFF,
       L"CTernShellExtension.QueryContextMenu uFlags[0x4], indexMenu[1], "
       L"idCmdFirst[4294967294], idCmdLast[4294967295]\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.line));
    ScopedMenu menu;
    AppendMenuW(menu.get(), MF_STRING, 1, L"Open");
    AppendMenuW(menu.get(), MF_STRING, 2, L"Print");
    log_.Clear();
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0),
              menu_->QueryContextMenu(menu.get(), 1, c.first, c.last, c.flags));
    EXPECT_EQ(2, GetMenuItemCount(menu.get()));
    ASSERT_EQ(1u, log_.Lines().size());
    EXPECT_EQ(Line(c.line), log_.Lines()[0]);
  }
}

TEST_F(ContextMenuTest, QueryContextMenuInsertsSeparatorItemSeparator) {
  ScopedMenu menu;
  AppendMenuW(menu.get(), MF_STRING, 1, L"Open");
  AppendMenuW(menu.get(), MF_STRING, 2, L"Print");
  EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2),
            menu_->QueryContextMenu(menu.get(), 1, 100, 102, CMF_NORMAL));
  ASSERT_EQ(5, GetMenuItemCount(menu.get()));
  const UINT ids[] = {1, 100, 101, 102, 2};
  for (UINT i = 0; i < 5; ++i)
    EXPECT_EQ(ids[i], EntryAt(menu.get(), i).id) << i;
  EXPECT_TRUE(EntryAt(menu.get(), 1).type & MFT_SEPARATOR);
  EXPECT_TRUE(EntryAt(menu.get(), 3).type & MFT_SEPARATOR);
  // The caption is unset as built; Wine reports such a string item with no text as a separator,
  // so the item's type is checked with a caption in the seam tests.
  for (const std::wstring& line : log_.Lines())
    ADD_FAILURE() << "unexpected log line [" << Narrow(line) << "] of " << log_.Lines().size();
}

TEST_F(ContextMenuTest, QueryContextMenuOnAMenuThatIsGoneFails) {
  HMENU gone = CreatePopupMenu();
  DestroyMenu(gone);
  EXPECT_EQ(E_FAIL, menu_->QueryContextMenu(gone, 0, 100, 200, CMF_NORMAL));
  EXPECT_EQ(
      std::vector<std::wstring>{Line(L"CTernShellExtension.QueryContextMenu InsertMenu Error.\n")},
      log_.Lines());
}

TEST_F(ContextMenuTest, InvokeCommandChecksVerbAndOffset) {
  ScopedMenu menu;
  ASSERT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2),
            menu_->QueryContextMenu(menu.get(), 0, 100, 200, CMF_NORMAL));
  log_.Clear();
  const std::wstring mismatch =
      Line(L"CTernShellExtension::InvokeCommand uMenuId != m_ternRootMenuInfo.uMenuId .\n");

  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof(info);
  info.lpVerb = "open";
  EXPECT_EQ(E_INVALIDARG, menu_->InvokeCommand(&info));
  EXPECT_TRUE(log_.Lines().empty());

  for (UINT offset : {0u, 2u, 3u}) {
    log_.Clear();
    info.lpVerb = MAKEINTRESOURCEA(offset);
    EXPECT_EQ(E_FAIL, menu_->InvokeCommand(&info)) << offset;
    EXPECT_EQ(std::vector<std::wstring>{mismatch}, log_.Lines()) << offset;
  }

  // Offset 1 is the item; the path stays empty as built, so it stops at the UTF-8 step and
  // nothing is started.
  log_.Clear();
  info.lpVerb = MAKEINTRESOURCEA(1);
  EXPECT_EQ(E_FAIL, menu_->InvokeCommand(&info));
  std::wstring dir = ExtDllPath();
  dir.erase(dir.rfind(L'\\') + 1);
  const std::vector<std::wstring> expected = {
      Line(L"CTernShellExtension.GetDocwickPath strParentDir = [" + dir + L"].\n"),
      Line(L"CTernShellExtension::InvokeCommand WideCharToMultiByte return 0 .\n")};
  EXPECT_EQ(expected, log_.Lines());
}

TEST_F(ContextMenuTest, InvokeCommandWithoutMenuAcceptsOnlyOffsetZero) {
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof(info);
  info.lpVerb = MAKEINTRESOURCEA(1);
  EXPECT_EQ(E_FAIL, menu_->InvokeCommand(&info));
  EXPECT_TRUE(log_.Contains(L"uMenuId != m_ternRootMenuInfo.uMenuId"));
  log_.Clear();
  info.lpVerb = MAKEINTRESOURCEA(0);
  EXPECT_EQ(E_FAIL, menu_->InvokeCommand(&info));
  EXPECT_FALSE(log_.Contains(L"uMenuId != m_ternRootMenuInfo.uMenuId"));
  EXPECT_TRUE(log_.Contains(L"WideCharToMultiByte return 0"));
  EXPECT_EQ(E_INVALIDARG, menu_->InvokeCommand(nullptr));
}

TEST_F(ContextMenuTest, GetCommandStringForms) {
  struct Case {
    UINT type;
    HRESULT result;
    bool written;
  } const cases[] = {
      {GCS_VERBA, S_FALSE, false}, {GCS_VALIDATEA, S_FALSE, false}, {GCS_HELPTEXTA, S_OK, true},
      {GCS_VERBW, S_OK, true},     {GCS_HELPTEXTW, S_OK, true},     {GCS_VALIDATEW, S_OK, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    // The help text is unset as built: the answer is an empty string.
    wchar_t buffer[16];
    wmemset(buffer, L'x', 16);
    EXPECT_EQ(c.result,
              menu_->GetCommandString(1, c.type, nullptr, reinterpret_cast<CHAR*>(buffer), 16));
    if (c.written && (c.type & GCS_UNICODE))
      EXPECT_EQ(L'\0', buffer[0]);
    else if (c.written)
      EXPECT_EQ('\0', reinterpret_cast<CHAR*>(buffer)[0]);
    else
      EXPECT_EQ(L'x', buffer[0]);
  }
  EXPECT_EQ(E_INVALIDARG, menu_->GetCommandString(1, GCS_VERBW, nullptr, nullptr, 16));
}

TEST_F(ContextMenuTest, MeasureItemSizesOnlyOurOwnItem) {
  ScopedMenu menu;
  ASSERT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2),
            menu_->QueryContextMenu(menu.get(), 0, 100, 200, CMF_NORMAL));
  const UINT expectedHeight = GetSystemMetrics(SM_CYMENUCHECK) < 16
                                  ? 16u
                                  : static_cast<UINT>(GetSystemMetrics(SM_CYMENUCHECK));
  struct Case {
    UINT ctlType;
    UINT itemId;
    WPARAM wParam;
    bool handled;
  } const cases[] = {
      {ODT_MENU, 101, 0, true},
      {ODT_MENU, 100, 0, false},
      {ODT_BUTTON, 101, 0, false},
      {ODT_MENU, 101, 1, false},
  };
  for (const Case& c : cases) {
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = c.ctlType;
    measure.itemID = c.itemId;
    measure.itemWidth = 50;
    measure.itemHeight = 3;
    LRESULT result = 77;
    EXPECT_EQ(S_OK, menu_->HandleMenuMsg2(WM_MEASUREITEM, c.wParam,
                                          reinterpret_cast<LPARAM>(&measure), &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(c.handled ? 52u : 50u, measure.itemWidth);
    EXPECT_EQ(c.handled ? expectedHeight : 3u, measure.itemHeight);
  }

  // The item carries a bitmap, so HandleMenuMsg leaves the message alone.
  MEASUREITEMSTRUCT measure = {};
  measure.CtlType = ODT_MENU;
  measure.itemID = 101;
  measure.itemWidth = 50;
  EXPECT_EQ(S_OK, menu_->HandleMenuMsg(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
  EXPECT_EQ(50u, measure.itemWidth);
  EXPECT_EQ(S_OK, menu_->HandleMenuMsg2(WM_MEASUREITEM, 0, 0, nullptr));
}

TEST_F(ContextMenuTest, LogLinesCarryTheModuleHandle) {
  ScopedMenu menu;
  menu_->QueryContextMenu(menu.get(), 0, 1, 2, CMF_NORMAL);
  ASSERT_EQ(1u, log_.Lines().size());
  wchar_t prefix[64];
  _snwprintf(
      prefix, 63, L"[PelicanShellExt][5.0][0x%x], ",
      static_cast<unsigned>(reinterpret_cast<UINT_PTR>(GetModuleHandleW(DOCWICKEXT_DLL_NAME))));
  prefix[63] = L'\0';
  EXPECT_EQ(0u, log_.Lines()[0].find(prefix)) << Narrow(log_.Lines()[0]);
}

}  // namespace
}  // namespace docwickext_test
