#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "ext_test_util.h"
#include "guids.h"
#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"

namespace docwickext_test {
namespace {

const wchar_t kUserClasses[] = L"Software\\Classes";
const wchar_t kApproved[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const wchar_t kHandlers[] = L"AllFileSystemObjects\\ShellEx\\ContextMenuHandlers";

std::wstring ClassKey() {
  return std::wstring(L"CLSID\\") + kClsidText;
}

// The classes root of a registration mode, opened for reading.
class ClassesRoot {
 public:
  explicit ClassesRoot(bool perUser) {
    if (!perUser) {
      key_ = HKEY_CLASSES_ROOT;
      return;
    }
    RegCreateKeyExW(HKEY_CURRENT_USER, kUserClasses, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &owned_, nullptr);
    key_ = owned_;
  }
  ~ClassesRoot() {
    if (owned_)
      RegCloseKey(owned_);
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
  HKEY owned_ = nullptr;
};

void ExpectRegistered(HKEY classes, const std::wstring& dllPath) {
  struct Entry {
    std::wstring key;
    const wchar_t* value;
    const wchar_t* data;
  } const entries[] = {
      {L"DocwickExt.TernShellExtension.1", L"", L"TernShellExtension Class"},
      {L"DocwickExt.TernShellExtension.1\\CLSID", L"", kClsidText},
      {L"DocwickExt.TernShellExtension", L"", L"TernShellExtension Class"},
      {L"DocwickExt.TernShellExtension\\CurVer", L"", L"DocwickExt.TernShellExtension.1"},
      {ClassKey(), L"", L"TernShellExtension Class"},
      {ClassKey() + L"\\ProgID", L"", L"DocwickExt.TernShellExtension.1"},
      {ClassKey() + L"\\VersionIndependentProgID", L"", L"DocwickExt.TernShellExtension"},
      {ClassKey() + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {ClassKey() + L"\\TypeLib", L"", L"{DDD39686-C57F-4271-89FC-6A706926C4DE}"},
      {ClassKey() + L"\\Version", L"", L"1.0"},
      {std::wstring(kHandlers) + L"\\DocwickExt", L"", kClsidText},
      {kApproved, kClsidText, L"TernShellExtension Class"},
  };
  for (const Entry& e : entries) {
    std::wstring data;
    EXPECT_TRUE(ReadString(classes, e.key, e.value, &data)) << Narrow(e.key);
    EXPECT_EQ(std::wstring(e.data), data) << Narrow(e.key);
  }
  EXPECT_TRUE(KeyExists(classes, ClassKey() + L"\\Programmable"));
  std::wstring server;
  EXPECT_TRUE(ReadString(classes, ClassKey() + L"\\InprocServer32", L"", &server));
  EXPECT_EQ(0, lstrcmpiW(dllPath.c_str(), server.c_str())) << Narrow(server);
}

void ExpectUnregistered(HKEY classes) {
  for (const std::wstring& gone : {std::wstring(L"DocwickExt.TernShellExtension.1"),
                                   std::wstring(L"DocwickExt.TernShellExtension"), ClassKey(),
                                   std::wstring(kHandlers) + L"\\DocwickExt"}) {
    EXPECT_FALSE(KeyExists(classes, gone)) << Narrow(gone);
  }
  EXPECT_FALSE(ValueExists(classes, kApproved, kClsidText));
  // NoRemove keys stay even when nothing of ours is left in them.
  for (const wchar_t* kept :
       {L"CLSID", L"AllFileSystemObjects", L"AllFileSystemObjects\\ShellEx", kHandlers,
        L"Software\\Microsoft\\Windows\\CurrentVersion", kApproved}) {
    EXPECT_TRUE(KeyExists(classes, kept)) << Narrow(kept);
  }
}

bool TypeLibRegistered() {
  ITypeLib* lib = nullptr;
  if (FAILED(LoadRegTypeLib(LIBID_DocwickExtLib, 1, 0, 0, &lib)))
    return false;
  lib->Release();
  return true;
}

tern_test::ProcessResult Regsvr32(const std::wstring& switches) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  // A test of each bitness runs the regsvr32 of its own bitness from its system folder.
  return tern_test::RunProcess(std::wstring(system) + L"\\regsvr32.exe",
                               switches + L" " + tern_test::QuoteArg(ExtDllPath()));
}

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW(ExtDllPath().c_str());
    ASSERT_TRUE(module_);
    install_ = Export<DllInstallFunc>(module_, "DllInstall");
    register_ = Export<DllRegisterServerFunc>(module_, "DllRegisterServer");
    unregister_ = Export<DllRegisterServerFunc>(module_, "DllUnregisterServer");
    ASSERT_TRUE(install_ && register_ && unregister_);
    RemoveEverything();
  }

  void TearDown() override {
    RemoveEverything();
    if (module_)
      FreeLibrary(module_);
  }

  void RemoveEverything() {
    unregister_();
    install_(FALSE, L"user");
    for (bool perUser : {false, true}) {
      ClassesRoot classes(perUser);
      DeleteTree(classes.get(), L"DocwickExt.TernShellExtension.1");
      DeleteTree(classes.get(), L"DocwickExt.TernShellExtension");
      DeleteTree(classes.get(), ClassKey());
      DeleteTree(classes.get(), std::wstring(kHandlers) + L"\\DocwickExt");
    }
  }

  HMODULE module_ = nullptr;
  DllInstallFunc install_ = nullptr;
  DllRegisterServerFunc register_ = nullptr;
  DllRegisterServerFunc unregister_ = nullptr;
};

TEST_F(RegistrationTest, Regsvr32RegistersAndUnregistersKeyByKey) {
  tern_test::ProcessResult run = Regsvr32(L"/s");
  ASSERT_TRUE(run.started);
  EXPECT_EQ(0u, run.exit_code);
  ExpectRegistered(HKEY_CLASSES_ROOT, ExtDllPath());
  EXPECT_TRUE(TypeLibRegistered());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::wstring(kUserClasses) + L"\\" + ClassKey()));

  run = Regsvr32(L"/s /u");
  ASSERT_TRUE(run.started);
  EXPECT_EQ(0u, run.exit_code);
  ExpectUnregistered(HKEY_CLASSES_ROOT);
  EXPECT_FALSE(TypeLibRegistered());
}

TEST_F(RegistrationTest, ForceRemoveKeysAreReplacedAndForeignContentSurvives) {
  const std::wstring handler = std::wstring(kHandlers) + L"\\DocwickExt";
  for (const std::wstring& stale :
       {ClassKey() + L"\\Stale", ClassKey() + L"\\Programmable\\Stale", handler + L"\\Stale"}) {
    ASSERT_TRUE(CreateKey(HKEY_CLASSES_ROOT, stale));
  }
  ASSERT_EQ(S_OK, register_());
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey() + L"\\Stale"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey() + L"\\Programmable\\Stale"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, handler + L"\\Stale"));
  ExpectRegistered(HKEY_CLASSES_ROOT, ExtDllPath());

  // An ordinary key that holds something else is emptied of our entries, not deleted.
  ASSERT_TRUE(CreateKey(HKEY_CLASSES_ROOT, L"DocwickExt.TernShellExtension\\Foreign"));
  ASSERT_EQ(S_OK, unregister_());
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"DocwickExt.TernShellExtension\\Foreign"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"DocwickExt.TernShellExtension\\CurVer"));
  EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, L"DocwickExt.TernShellExtension", L""));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey()));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, handler));
}

TEST_F(RegistrationTest, DllInstallPerUserOnlyForTheWordUserInAnyCase) {
  struct Case {
    const wchar_t* cmdLine;
    bool perUser;
  } const cases[] = {
      {L"user", true}, {L"USER", true}, {L"uSeR", true},  {L"users", false},
      {L"use", false}, {L"", false},    {nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cmdLine ? Narrow(c.cmdLine) : std::string("(null)"));
    ASSERT_EQ(S_OK, install_(TRUE, c.cmdLine));
    ClassesRoot user(true);
    ClassesRoot machine(false);
    ExpectRegistered(c.perUser ? user.get() : machine.get(), ExtDllPath());
    // Wine keeps HKCU\Software\Classes apart from HKCR, so each side is read directly.
    EXPECT_EQ(!c.perUser, KeyExists(HKEY_CLASSES_ROOT, ClassKey()));
    EXPECT_EQ(c.perUser, KeyExists(user.get(), ClassKey()));
    // Wine's RegisterTypeLibForUser registers for the machine, so only "it loads" is checked.
    EXPECT_TRUE(TypeLibRegistered());

    ASSERT_EQ(S_OK, install_(FALSE, c.cmdLine));
    ExpectUnregistered(c.perUser ? user.get() : machine.get());
  }
}

TEST_F(RegistrationTest, Regsvr32InstallSwitchRegistersPerUser) {
  tern_test::ProcessResult run = Regsvr32(L"/s /n /i:User");
  ASSERT_TRUE(run.started);
  EXPECT_EQ(0u, run.exit_code);
  ClassesRoot user(true);
  ExpectRegistered(user.get(), ExtDllPath());
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey()));

  run = Regsvr32(L"/s /u /n /i:User");
  EXPECT_EQ(0u, run.exit_code);
  ExpectUnregistered(user.get());
}

TEST_F(RegistrationTest, PerUserModeEndsWithTheDllInstallCall) {
  ASSERT_EQ(S_OK, install_(TRUE, L"user"));
  ASSERT_EQ(S_OK, register_());
  ExpectRegistered(HKEY_CLASSES_ROOT, ExtDllPath());
}

TEST_F(RegistrationTest, CallersThreadLocaleIsRestored) {
  const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
  const LCID saved = GetThreadLocale();
  ASSERT_TRUE(SetThreadLocale(german));
  EXPECT_EQ(S_OK, register_());
  EXPECT_EQ(german, GetThreadLocale());
  EXPECT_EQ(S_OK, unregister_());
  EXPECT_EQ(german, GetThreadLocale());
  SetThreadLocale(saved);
}

TEST_F(RegistrationTest, RegisteredTypeLibraryDescribesTheDualInterfaceAndClass) {
  ASSERT_EQ(S_OK, register_());
  ITypeLib* lib = nullptr;
  ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_DocwickExtLib, 1, 0, 0, &lib));
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(S_OK, lib->GetLibAttr(&attr));
  EXPECT_TRUE(IsEqualGUID(LIBID_DocwickExtLib, attr->guid));
  EXPECT_EQ(1, attr->wMajorVerNum);
  EXPECT_EQ(0, attr->wMinorVerNum);
  lib->ReleaseTLibAttr(attr);

  BSTR name = nullptr;
  ASSERT_EQ(S_OK, lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr));
  EXPECT_STREQ(L"DocwickExtLib", name);
  SysFreeString(name);

  ITypeInfo* info = nullptr;
  ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID_ITernShellExtension, &info));
  TYPEATTR* type = nullptr;
  ASSERT_EQ(S_OK, info->GetTypeAttr(&type));
  EXPECT_EQ(TKIND_DISPATCH, type->typekind);
  EXPECT_TRUE(type->wTypeFlags & TYPEFLAG_FDUAL);
  // IDispatch's seven methods and nothing of its own.
  EXPECT_EQ(7, type->cFuncs);
  info->ReleaseTypeAttr(type);
  info->Release();

  ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(CLSID_TernShellExtension, &info));
  ASSERT_EQ(S_OK, info->GetTypeAttr(&type));
  EXPECT_EQ(TKIND_COCLASS, type->typekind);
  EXPECT_EQ(1, type->cImplTypes);
  info->ReleaseTypeAttr(type);
  info->Release();
  lib->Release();
}

// A copy of the DLL whose embedded type library is replaced by bytes that are no type library,
// loaded from a scratch folder.
class NoTypeLibCopy {
 public:
  NoTypeLibCopy() {
    path_ = dir_.Join(L"DocwickExtNoTlb.dll");
    if (!CopyFileW(ExtDllPath().c_str(), path_.c_str(), FALSE))
      return;
    HANDLE update = BeginUpdateResourceW(path_.c_str(), FALSE);
    if (!update)
      return;
    char garbage[64] = "not a type library";
    UpdateResourceW(update, L"TYPELIB", MAKEINTRESOURCEW(1),
                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), garbage, sizeof(garbage));
    if (EndUpdateResourceW(update, FALSE))
      module_ = LoadLibraryW(path_.c_str());
  }
  ~NoTypeLibCopy() {
    if (module_)
      FreeLibrary(module_);
  }
  HMODULE module() const { return module_; }
  const std::wstring& path() const { return path_; }
  std::wstring TlbBeside() const { return dir_.Join(L"DocwickExtNoTlb.tlb"); }

 private:
  tern_test::ScopedTempDir dir_;
  std::wstring path_;
  HMODULE module_ = nullptr;
};

TEST_F(RegistrationTest, FailedInstallRemovesWhatItWroteAndReportsTheFailure) {
  NoTypeLibCopy copy;
  ASSERT_TRUE(copy.module());
  ITypeLib* lib = nullptr;
  ASSERT_TRUE(FAILED(LoadTypeLibEx(copy.path().c_str(), REGKIND_NONE, &lib)));
  auto install = Export<DllInstallFunc>(copy.module(), "DllInstall");
  ASSERT_TRUE(install);
  const HRESULT hr = install(TRUE, nullptr);
  EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey()));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(kHandlers) + L"\\DocwickExt"));
  EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, kApproved, kClsidText));
  EXPECT_FALSE(TypeLibRegistered());
}

TEST_F(RegistrationTest, TypeLibraryFileBesideTheModuleIsTheFallback) {
  NoTypeLibCopy copy;
  ASSERT_TRUE(copy.module());
  ITypeLib* lib = nullptr;
  ASSERT_TRUE(FAILED(LoadTypeLibEx(copy.path().c_str(), REGKIND_NONE, &lib)));
  // The shipped DLL's own type library, as a file named after the copy.
  HRSRC res = FindResourceW(module_, MAKEINTRESOURCEW(1), L"TYPELIB");
  ASSERT_TRUE(res);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module_, res)));
  ASSERT_TRUE(tern_test::WriteFileBytes(copy.TlbBeside(),
                                        std::string(bytes, SizeofResource(module_, res))));

  ASSERT_EQ(S_OK, Export<DllRegisterServerFunc>(copy.module(), "DllRegisterServer")());
  ExpectRegistered(HKEY_CLASSES_ROOT, copy.path());
  EXPECT_TRUE(TypeLibRegistered());
  EXPECT_EQ(S_OK, Export<DllRegisterServerFunc>(copy.module(), "DllUnregisterServer")());
  ExpectUnregistered(HKEY_CLASSES_ROOT);
}

}  // namespace
}  // namespace docwickext_test
