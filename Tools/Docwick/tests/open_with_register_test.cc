// Open-With registration read back from the registry: in this process with HKCR and HKCU
// redirected to scratch keys, and through the real Docwick.exe against the prefix's own keys.
#include "runner/open_with_register_runner.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_args.h"
#include "docwick_install.h"
#include "registry_snapshot.h"

namespace docwick_test {
namespace {

using docwick::COpenWithRegisterRunner;

const wchar_t kAppKey[] = L"Applications\\Docwick.exe";
const wchar_t kCommandKey[] = L"Applications\\Docwick.exe\\shell\\open\\command";
const wchar_t* const kExtensions[] = {L".doc", L".docx", L".xls", L".xlsx"};

std::wstring ListKey(const wchar_t* extension) {
  return std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\") +
         extension + L"\\OpenWithList";
}

std::wstring ThisProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring Letter(wchar_t c) {
  return std::wstring(1, c);
}

// Two fresh scratch keys under HKEY_CURRENT_USER that stand for HKCR and HKCU, removed with
// everything below them. (Wine does not apply RegOverridePredefKey to HKCR opened with an
// explicit registry view, so the runner gets its roots instead.)
class ScratchHives {
 public:
  ScratchHives() {
    static LONG counter = 0;
    m_path = L"Software\\DocwickOpenWithTest\\" + std::to_wstring(GetCurrentProcessId()) + L"_" +
             std::to_wstring(InterlockedIncrement(&counter));
    m_ok = Create(L"\\classes", &m_classes) && Create(L"\\user", &m_user);
  }
  ~ScratchHives() {
    if (m_classes)
      RegCloseKey(m_classes);
    if (m_user)
      RegCloseKey(m_user);
    SHDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
  }
  ScratchHives(const ScratchHives&) = delete;
  ScratchHives& operator=(const ScratchHives&) = delete;

  bool ok() const { return m_ok; }
  HKEY classes() const { return m_classes; }
  HKEY user() const { return m_user; }
  COpenWithRegisterRunner Runner() const { return COpenWithRegisterRunner(m_classes, m_user); }
  std::string DumpAll() const {
    std::string dump = DumpKeyTree(m_classes, kAppKey);
    for (const wchar_t* extension : kExtensions)
      dump += DumpKeyTree(m_user, ListKey(extension));
    return dump;
  }

 private:
  bool Create(const wchar_t* name, HKEY* key) {
    return RegCreateKeyExW(HKEY_CURRENT_USER, (m_path + name).c_str(), 0, nullptr, 0,
                           KEY_ALL_ACCESS, nullptr, key, nullptr) == ERROR_SUCCESS;
  }

  std::wstring m_path;
  HKEY m_classes = nullptr;
  HKEY m_user = nullptr;
  bool m_ok = false;
};

TEST(OpenWithRegister, WritesTheApplicationEntry) {
  ScratchHives hives;
  ASSERT_TRUE(hives.ok());
  // A stale verb of an older registration goes with the old entry.
  ASSERT_TRUE(SetStringValue(hives.classes(), L"Applications\\Docwick.exe\\shell\\edit\\command",
                             nullptr, L"old"));
  ASSERT_TRUE(SetStringValue(hives.classes(), kAppKey, L"NoOpenWith", L""));

  EXPECT_EQ(0, hives.Runner().Run(L"Register", L"ignored"));

  const std::wstring self = ThisProgram();
  EXPECT_EQ(L"@" + self + L",-130", ReadStringValue(hives.classes(), kAppKey, L"FriendlyAppName"));
  EXPECT_EQ(L"\"" + self + L"\" --command=OpenWithListDocxPreview \"--params=%1\"",
            ReadStringValue(hives.classes(), kCommandKey, nullptr));
  EXPECT_FALSE(KeyExists(hives.classes(), L"Applications\\Docwick.exe\\shell\\edit"));
  EXPECT_FALSE(ReadRawValue(hives.classes(), kAppKey, L"NoOpenWith").exists);
  for (const wchar_t* extension : kExtensions) {
    EXPECT_EQ(L"Docwick.exe", ReadStringValue(hives.user(), ListKey(extension), L"a")) << extension;
    EXPECT_EQ(L"a", ReadStringValue(hives.user(), ListKey(extension), L"MRUList")) << extension;
  }
}

struct ListValue {
  wchar_t letter;
  std::wstring program;
};

struct ListCase {
  const char* what;
  std::vector<ListValue> before;
  const wchar_t* mru_before;  // null: no MRUList value
  wchar_t chosen;             // 0: the extension must stay untouched
  const wchar_t* mru_after;
};

TEST(OpenWithRegister, UpdatesEachOpenWithList) {
  const std::wstring longName(300, L'x');  // more than the 520 bytes read
  const ListCase cases[] = {
      {"empty list", {}, nullptr, L'a', L"a"},
      {"empty MRUList text", {}, L"", L'a', L"a"},
      {"lowest free letter",
       {{L'a', L"w.exe"}, {L'b', L"x.exe"}, {L'c', L"y.exe"}},
       L"cba",
       L'd',
       L"dcba"},
      {"gap in the letters", {{L'a', L"w.exe"}, {L'c', L"y.exe"}}, L"ca", L'b', L"bca"},
      {"helper stored in upper case",
       {{L'a', L"w.exe"}, {L'b', L"DOCWICK.EXE"}},
       L"ab",
       L'b',
       L"ba"},
      {"upper-case letter in the old list",
       {{L'a', L"w.exe"}, {L'b', L"docwick.exe"}, {L'c', L"y.exe"}},
       L"aBc",
       L'b',
       L"bac"},
      {"all ten letters taken",
       {{L'a', L"0"},
        {L'b', L"1"},
        {L'c', L"2"},
        {L'd', L"3"},
        {L'e', L"4"},
        {L'f', L"5"},
        {L'g', L"6"},
        {L'h', L"7"},
        {L'i', L"8"},
        {L'j', L"9"}},
       L"jihgfedcba",
       L'j',
       L"jihgfedcba"},
      {"value too long to read is passed over", {{L'a', longName}}, L"a", L'b', L"ba"},
  };
  for (const ListCase& c : cases) {
    ScratchHives hives;
    ASSERT_TRUE(hives.ok());
    const std::wstring key = ListKey(L".xls");
    for (const ListValue& v : c.before) {
      ASSERT_TRUE(SetStringValue(hives.user(), key, Letter(v.letter).c_str(), v.program));
    }
    if (c.mru_before) {
      ASSERT_TRUE(SetStringValue(hives.user(), key, L"MRUList", c.mru_before));
    }

    EXPECT_EQ(0, hives.Runner().Run(L"Register", L""));

    EXPECT_EQ(L"Docwick.exe", ReadStringValue(hives.user(), key, Letter(c.chosen).c_str()))
        << c.what;
    EXPECT_EQ(c.mru_after, ReadStringValue(hives.user(), key, L"MRUList")) << c.what;
    for (const ListValue& v : c.before) {
      if (v.letter != c.chosen) {
        EXPECT_EQ(v.program, ReadStringValue(hives.user(), key, Letter(v.letter).c_str()))
            << c.what;
      }
    }
    // The other extensions are updated whatever this one held.
    EXPECT_EQ(L"a", ReadStringValue(hives.user(), ListKey(L".xlsx"), L"MRUList")) << c.what;
  }
}

TEST(OpenWithRegister, MruListThatIsNotTextLeavesTheExtensionUntouched) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
  };
  const DWORD dword = 0x616263;
  const BYTE* dwordBytes = reinterpret_cast<const BYTE*>(&dword);
  const Case cases[] = {
      {"REG_DWORD", REG_DWORD, std::vector<BYTE>(dwordBytes, dwordBytes + 4)},
      {"REG_BINARY", REG_BINARY, {'a', 0, 0, 0}},
      {"REG_MULTI_SZ", REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0}},
      // Malformed text cannot be stored here (the registry completes it); the portable test
      // covers it. A value that does not fit the 520-byte read can:
      {"longer than 520 bytes", REG_SZ, std::vector<BYTE>(600, 0)},
  };
  for (const Case& c : cases) {
    ScratchHives hives;
    ASSERT_TRUE(hives.ok());
    const std::wstring key = ListKey(L".doc");
    ASSERT_TRUE(SetRawValue(hives.user(), key, L"MRUList", c.type, c.data.data(),
                            static_cast<DWORD>(c.data.size())));
    ASSERT_TRUE(SetStringValue(hives.user(), key, L"c", L"y.exe"));
    const std::string before = DumpKeyTree(hives.user(), key);

    EXPECT_EQ(0, hives.Runner().Run(L"Register", L""));

    EXPECT_EQ(before, DumpKeyTree(hives.user(), key)) << c.what;
    EXPECT_EQ(L"a", ReadStringValue(hives.user(), ListKey(L".docx"), L"MRUList")) << c.what;
    EXPECT_FALSE(ReadStringValue(hives.classes(), kCommandKey, nullptr).empty()) << c.what;
  }
}

TEST(OpenWithRegister, RegisterTwiceEqualsOnce) {
  ScratchHives hives;
  ASSERT_TRUE(hives.ok());
  ASSERT_TRUE(SetStringValue(hives.user(), ListKey(L".docx"), L"a", L"w.exe"));
  ASSERT_TRUE(SetStringValue(hives.user(), ListKey(L".docx"), L"MRUList", L"a"));
  hives.Runner().Run(L"Register", L"");
  const std::string once = hives.DumpAll();
  hives.Runner().Run(L"Register", L"");
  EXPECT_EQ(once, hives.DumpAll());
  EXPECT_EQ(L"ba", ReadStringValue(hives.user(), ListKey(L".docx"), L"MRUList"));
}

TEST(OpenWithRegister, UnregisterRemovesOnlyTheApplicationEntry) {
  ScratchHives hives;
  ASSERT_TRUE(hives.ok());
  EXPECT_EQ(0, hives.Runner().Run(L"Unregister", L""));  // nothing registered yet

  ASSERT_TRUE(
      SetStringValue(hives.classes(), L"Applications\\other.exe", L"FriendlyAppName", L"Other"));
  hives.Runner().Run(L"Register", L"");
  const std::string lists = hives.DumpAll().substr(DumpKeyTree(hives.classes(), kAppKey).size());
  EXPECT_EQ(0, hives.Runner().Run(L"Unregister", L""));

  EXPECT_FALSE(KeyExists(hives.classes(), kAppKey));
  EXPECT_TRUE(KeyExists(hives.classes(), L"Applications"));
  EXPECT_EQ(L"Other",
            ReadStringValue(hives.classes(), L"Applications\\other.exe", L"FriendlyAppName"));
  EXPECT_EQ("<missing>\n" + lists, hives.DumpAll());
}

TEST(OpenWithRegister, OtherCommandNamesDoNothing) {
  ScratchHives hives;
  ASSERT_TRUE(hives.ok());
  EXPECT_EQ(0, hives.Runner().Run(L"register", L""));
  EXPECT_FALSE(KeyExists(hives.classes(), kAppKey));
  EXPECT_FALSE(KeyExists(hives.user(), ListKey(L".doc")));
}

// A copy of Docwick.exe in a folder whose path holds blanks.
class BlankPathInstall {
 public:
  BlankPathInstall() {
    m_bin = m_dir.Join(L"Program Files\\Corvane Tern\\bin");
    if (!CreateDirectoryW(m_dir.Join(L"Program Files").c_str(), nullptr) ||
        !CreateDirectoryW(m_dir.Join(L"Program Files\\Corvane Tern").c_str(), nullptr) ||
        !CreateDirectoryW(m_bin.c_str(), nullptr))
      return;
    for (const std::wstring& file : docwick_test::DocwickFiles()) {
      if (!CopyFileW((tern_test::ExeDir() + L"\\" + file).c_str(), (m_bin + L"\\" + file).c_str(),
                     FALSE))
        return;
    }
    m_ok = true;
  }
  bool ok() const { return m_ok; }
  std::wstring exe() const { return m_bin + L"\\Docwick.exe"; }
  tern_test::ProcessResult Run(const std::wstring& args) const {
    return tern_test::RunProcess(exe(), args);
  }

 private:
  tern_test::ScopedTempDir m_dir;
  std::wstring m_bin;
  bool m_ok = false;
};

std::vector<std::wstring> SplitLikeWindows(const std::wstring& command_line) {
  std::vector<std::wstring> args;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(command_line.c_str(), &count);
  for (int i = 0; argv && i < count; ++i)
    args.push_back(argv[i]);
  LocalFree(argv);
  return args;
}

// The real program against the prefix's own keys; the lists are put back afterwards.
TEST(OpenWithRegisterProgram, RegistersAndUnregistersItself) {
  std::vector<std::unique_ptr<ScopedKeyRestore>> restore;
  for (const wchar_t* extension : kExtensions)
    restore.emplace_back(new ScopedKeyRestore(HKEY_CURRENT_USER, ListKey(extension)));
  BlankPathInstall install;
  ASSERT_TRUE(install.ok());

  tern_test::ProcessResult result = install.Run(L"--command=Register --params=");
  ASSERT_TRUE(result.started);
  EXPECT_EQ(0u, result.exit_code);

  // Explorer's substitution of %1, then Windows' own splitting: the switch stays one element.
  const std::wstring document = L"C:\\My Documents\\Q3 report (final).docx";
  std::wstring command = ReadStringValue(HKEY_CLASSES_ROOT, kCommandKey, nullptr);
  size_t placeholder = command.find(L"%1");
  ASSERT_NE(std::wstring::npos, placeholder) << command.c_str();
  command.replace(placeholder, 2, document);
  const std::vector<std::wstring> argv = SplitLikeWindows(command);
  ASSERT_EQ(3u, argv.size());
  EXPECT_EQ(install.exe(), argv[0]);
  docwick::CommandArgs args;
  ASSERT_TRUE(
      docwick::ParseCommandArgs(std::vector<std::wstring>(argv.begin() + 1, argv.end()), &args));
  EXPECT_EQ(L"OpenWithListDocxPreview", args.command);
  EXPECT_EQ(document, args.params);

  // The display name resolves to the program's own string resource.
  const std::wstring friendly = ReadStringValue(HKEY_CLASSES_ROOT, kAppKey, L"FriendlyAppName");
  EXPECT_EQ(L"@" + install.exe() + L",-130", friendly);
  wchar_t shown[256] = {};
  ASSERT_EQ(S_OK, SHLoadIndirectString(friendly.c_str(), shown, 256, nullptr));
  EXPECT_STREQ(L"Corvane Document Online Preview", shown);

  for (const wchar_t* extension : kExtensions) {
    std::wstring mru = ReadStringValue(HKEY_CURRENT_USER, ListKey(extension), L"MRUList");
    ASSERT_FALSE(mru.empty()) << extension;
    EXPECT_EQ(L"Docwick.exe",
              ReadStringValue(HKEY_CURRENT_USER, ListKey(extension), Letter(mru[0]).c_str()))
        << extension;
  }

  result = install.Run(L"--command=Unregister --params=");
  EXPECT_EQ(0u, result.exit_code);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kAppKey));
  result = install.Run(L"--command=Unregister --params=");
  EXPECT_EQ(0u, result.exit_code);
}

TEST(OpenWithRegisterProgram, CarriesStringsAndAVersion) {
  const std::wstring exe = tern_test::ExeDir() + L"\\Docwick.exe";
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(module);
  wchar_t text[256] = {};
  EXPECT_LT(0, LoadStringW(module, 129, text, 256));
  std::wstring at129 = text;
  EXPECT_LT(0, LoadStringW(module, 130, text, 256));
  EXPECT_EQ(at129, text);
  FreeLibrary(module);

  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &handle);
  ASSERT_LT(0u, size);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
  EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
  wchar_t* name = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904b0\\OriginalFilename",
                             reinterpret_cast<void**>(&name), &length));
  EXPECT_STREQ(L"Docwick.exe", name);
}

}  // namespace
}  // namespace docwick_test
