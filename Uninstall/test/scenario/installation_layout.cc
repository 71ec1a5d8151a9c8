// What the simulated installation lays down, item by item, and Uninstall.xml describing it.
#include "scenario/simulated_installation.h"

#include <shlobj.h>

#include <algorithm>

#include "scenario/installation_parts.h"
#include "util/file_util_win.h"
#include "util/warden_util_win.h"

namespace uninstall_scenario {

namespace {

const wchar_t kProductKey[] = L"SOFTWARE\\Corvane\\Tern";
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tern";
const wchar_t kShellClsid[] = L"{8C3E2A71-5B0D-4E3F-9A61-2F7D4C1B8E05}";
const wchar_t kMiniDlProgId[] = L"PelicanMiniDL.Downloader.1";
const wchar_t kMiniDlClsid[] = L"{6B1C3F7A-2D4E-4F15-9A53-0C7E1B2D9F41}";
const wchar_t kKeepwellClsid[] = L"{DDD362CF-523B-4BC9-8FDC-58F93B6BC945}";
const wchar_t kAppPaths[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Plume.exe";
const wchar_t kServices[] = L"SYSTEM\\CurrentControlSet\\Services\\";
const wchar_t kProductInfo[] = L"SYSTEM\\CurrentControlSet\\Services\\WardenCore\\ProductInfo";

// The folder the component's drivers live in, as the shipped 32-bit uninstaller reaches it.
std::wstring DriversFolder() {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  if (sizeof(void*) == 4 && setup_util::IsWindows64Bit())
    return setup_util::GetShellFolderPath(CSIDL_WINDOWS) + L"\\Sysnative\\drivers";
  return std::wstring(system) + L"\\drivers";
}

std::wstring MuiCacheKey() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(&version);
#pragma GCC diagnostic pop
  return version.dwMajorVersion >= 6
             ? L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache"
             : L"Software\\Microsoft\\Windows\\ShellNoRoam\\MuiCache";
}

std::string XmlPath(const std::wstring& path) {
  return removal_test::Utf8(path);
}

}  // namespace

bool SimulatedInstallation::LayDownClient() {
  const std::wstring bin = install_ + L"\\Bin";
  const std::wstring peer = tern_test::ExeDir() + L"\\peers\\corvane\\Tern.exe";
  // The client and the maker's helper programs are real programs that run until ended.
  for (const wchar_t* name :
       {L"Tern.exe", L"bugreport.exe", L"PelicanExternal.exe", L"vantle.exe"}) {
    std::wstring path = bin + L"\\" + name;
    removal_test::MakeDirs(bin);
    if (!CopyFileW(peer.c_str(), path.c_str(), FALSE))
      return Fail("cannot copy the client peer to " + removal_test::Utf8(path));
    items_.push_back({Group::kClient, "file " + removal_test::Utf8(path),
                      [path] { return removal_test::Exists(path); }, path});
  }
  for (const wchar_t* name : {L"TernApp.exe", L"Keystone.dll", L"Lattice.dll", L"TernShell.dll",
                              L"ksupd.exe", L"TernPelican.exe"})
    AddFile(Group::kClient, bin + L"\\" + name, "MZ");
  AddFile(Group::kClient, install_ + L"\\Resources\\lang\\zh-CN.txt", "Key=Text\n");
  AddFile(Group::kClient, install_ + L"\\Resources\\skin\\main.xtml", "<Window/>");
  for (const Item& item : items_)
    listed_files_.push_back(item.path);
  // Where the user starts the uninstaller; the description lists it like any other file.
  std::wstring uninstall_exe = uninstaller();
  if (!CopyFileW((tern_test::ExeDir() + L"\\Uninstall.exe").c_str(), uninstall_exe.c_str(), FALSE))
    return Fail("cannot copy Uninstall.exe");
  items_.push_back({Group::kClient, "file " + removal_test::Utf8(uninstall_exe),
                    [uninstall_exe] { return removal_test::Exists(uninstall_exe); },
                    uninstall_exe});
  listed_files_.push_back(uninstall_exe);
  for (const wchar_t* dir :
       {L"\\Resources\\lang", L"\\Resources\\skin", L"\\Resources", L"\\Bin", L""})
    listed_dirs_.push_back(install_ + dir);
  // Left by other components' installers; the uninstaller knows them by name.
  AddFile(Group::kClient, bin + L"\\KSSSO\\sso.dll");
  AddFile(Group::kClient, bin + L"\\PelicanCloud.dll");
  AddFile(Group::kClient, install_ + L"\\Plugin\\Com.Corvane.Marl\\marl.dll");
  AddFile(Group::kClient, install_ + L"\\Plugin\\Com.Corvane.AudioVideo\\av.dll");
  AddFile(Group::kClient, install_ + L"\\Plugin\\Com.Corvane.NetDisk\\netdisk.dll");

  // Product keys and the COM server of the shell extension, all listed in the description.
  AddValue(Group::kClient, HKEY_LOCAL_MACHINE, kProductKey, L"Install", install_);
  AddValue(Group::kClient, HKEY_LOCAL_MACHINE, kProductKey, L"version", L"9.1.2");
  AddValue(Group::kClient, HKEY_LOCAL_MACHINE, kProductKey, L"rversion", L"9.1.2.3");
  AddValue(Group::kClient, HKEY_LOCAL_MACHINE, kProductKey, L"AnvilSetup2012", L"1", REG_DWORD);
  AddKey(Group::kClient, HKEY_LOCAL_MACHINE, L"HKLM", kProductKey);
  AddValue(Group::kClient, HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"Tern");
  AddValue(Group::kClient, HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", uninstall_exe);
  AddKey(Group::kClient, HKEY_LOCAL_MACHINE, L"HKLM", kUninstallKey);
  std::wstring server = std::wstring(L"CLSID\\") + kShellClsid + L"\\InprocServer32";
  AddValue(Group::kClient, HKEY_CLASSES_ROOT, server, L"", bin + L"\\TernShell.dll");
  AddValue(Group::kClient, HKEY_CLASSES_ROOT, server, L"ThreadingModel", L"Apartment");
  AddKey(Group::kClient, HKEY_CLASSES_ROOT, L"HKCR", std::wstring(L"CLSID\\") + kShellClsid);
  AddValue(Group::kClient, HKEY_CLASSES_ROOT, L"TernShell.ContextMenu\\CLSID", L"", kShellClsid);
  AddKey(Group::kClient, HKEY_CLASSES_ROOT, L"HKCR", L"TernShell.ContextMenu");
  AddValue(Group::kClient, HKEY_CURRENT_USER, L"Software\\Corvane\\Tern\\Settings", L"LastUin",
           L"10001");
  AddKey(Group::kClient, HKEY_CURRENT_USER, L"HKCU", L"Software\\Corvane\\Tern");

  // Caches in the profile and browser plug-ins.
  const std::wstring roaming = setup_util::GetShellFolderPath(CSIDL_APPDATA);
  for (const wchar_t* cache : {L"rdo.cache", L"loginrdo.cache", L"uirdo.cache"})
    AddFile(Group::kClient, roaming + L"\\Corvane\\Tern\\" + cache);
  AddFile(Group::kClient, roaming + L"\\Corvane\\Tern\\AUTemp\\update.tmp");
  AddFile(Group::kClient, roaming + L"\\Corvane\\Pelican\\webkit_cache\\index.dat");
  AddFile(Group::kClient, roaming + L"\\Corvane\\Pelican\\PluginCommon\\common.dat");
  AddFile(Group::kClient, roaming + L"\\Corvane\\Pelican\\PelicanCloud\\cloud.dat");
  const std::wstring plugins = setup_util::GetShellFolderPath(CSIDL_LOCAL_APPDATA) +
                               L"\\Google\\Chrome\\Application\\plugins";
  AddFile(Group::kClient, plugins + L"\\npactivex.dll", "MZ");
  AddFile(Group::kClient, plugins + L"\\npchrome.dll", "MZ");
  AddFile(Group::kClient, common_files_ + L"\\Corvane\\Npchrome\\npchrome.dll", "MZ");
  AddFile(Group::kClient, common_files_ + L"\\Corvane\\npfencall\\npfencall.dll", "MZ");
  for (const wchar_t* made : {L"\\Corvane\\Tern\\AUTemp", L"\\Corvane\\Pelican"})
    made_dirs_.push_back(roaming + made);
  for (const wchar_t* cache : {L"rdo.cache", L"loginrdo.cache", L"uirdo.cache"})
    made_files_.push_back(roaming + L"\\Corvane\\Tern\\" + cache);
  made_dirs_.push_back(plugins);
  made_dirs_.push_back(common_files_ + L"\\Corvane\\Npchrome");
  made_dirs_.push_back(common_files_ + L"\\Corvane\\npfencall");
  return error_.empty();
}

bool SimulatedInstallation::LayDownComponent() {
  Parts& parts = *parts_;
  if (!parts.warden.InstallWarden(options_.warden_behaviour))
    return Fail("cannot place the Warden stand-in");
  std::wstring warden = parts.warden.warden_path();
  items_.push_back({Group::kComponent, "file " + removal_test::Utf8(warden),
                    [warden] { return removal_test::Exists(warden); }, warden});
  AddFile(Group::kComponent, common_files_ + L"\\Corvane\\Warden\\Bin\\WardenCore.exe", "MZ");
  AddFile(Group::kComponent, install_ + L"\\Bin\\Warden\\Bin\\WardenHelper.dll", "MZ");
  const std::wstring data =
      setup_util::GetShellFolderPath(CSIDL_COMMON_APPDATA) + L"\\Corvane\\Warden";
  for (const wchar_t* file :
       {L"\\Sieve\\SieveEngine.dll", L"\\Sieve\\config.dat", L"\\Sieve\\sig.dat",
        L"\\Sieve\\FenLSig.dat", L"\\Sieve\\Bin\\FenLogic.dll", L"\\Sieve\\Misc\\Sieve\\config.dat",
        L"\\AuTemp\\au.tmp", L"\\atf.dat"})
    AddFile(Group::kComponent, data + file);
  made_dirs_.push_back(data);
  const std::wstring roaming =
      setup_util::GetShellFolderPath(CSIDL_APPDATA) + L"\\Corvane\\Pelican";
  for (const wchar_t* file :
       {L"\\PelicanAntiPhishing\\vorurllib.bin", L"\\PelicanAntiPhishing\\Keepwell.dll",
        L"\\Warden\\Sieve\\sig.dat", L"\\Warden\\Sieve\\SieveEngine.dll"})
    AddFile(Group::kComponent, roaming + file);
  const bool wide = setup_util::IsWindows64Bit();
  for (const wchar_t* driver :
       wide ? std::vector<const wchar_t*>{L"WardenX64.sys"}
            : std::vector<const wchar_t*>{L"Warden.sys", L"PelicanFrmMgr.sys"}) {
    AddFile(Group::kComponent, DriversFolder() + L"\\" + driver, "MZ");
    made_files_.push_back(DriversFolder() + L"\\" + driver);
  }
  for (const wchar_t* service : wide ? std::vector<const wchar_t*>{L"WardenX64"}
                                     : std::vector<const wchar_t*>{L"Warden", L"PelicanFrmMgr"}) {
    AddKey(Group::kComponent, HKEY_LOCAL_MACHINE, L"HKLM", std::wstring(kServices) + service);
  }
  // The account-protection browser add-on.
  AddKey(Group::kComponent, HKEY_CLASSES_ROOT, L"HKCR", L"Keepwell.KeepwellBHO");
  AddKey(Group::kComponent, HKEY_CLASSES_ROOT, L"HKCR", std::wstring(L"CLSID\\") + kKeepwellClsid);
  AddKey(Group::kComponent, HKEY_LOCAL_MACHINE, L"HKLM",
         std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper "
                      L"Objects\\") +
             kKeepwellClsid);
  AddKey(
      Group::kComponent, HKEY_CURRENT_USER, L"HKCU",
      std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\") + kKeepwellClsid);

  // The core service, running, and the product list naming this installation.
  parts.service = std::make_unique<ScopedWardenCoreService>(false);
  if (!parts.service->running())
    return Fail("the WardenCore stand-in service did not start");
  items_.push_back({Group::kComponent, "service WardenCore",
                    [] { return WardenCoreServiceExists(); }, std::wstring()});
  AddValue(Group::kClient, HKEY_LOCAL_MACHINE, kProductInfo, L"1060001", install_ + L"\\");
  if (options_.other_product) {
    const std::wstring pelican = program_files_ + L"\\Corvane\\Pelican";
    AddFile(Group::kSentinel, pelican + L"\\Bin\\Pelican.exe", "MZ");
    made_dirs_.push_back(pelican);
    AddValue(Group::kSentinel, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\Pelican2009", L"Install",
             pelican);
    AddValue(Group::kSentinel, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\Pelican2009",
             L"AnvilSetup2012", L"1", REG_DWORD);
    made_keys_.push_back({HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\Pelican2009", 0});
    AddValue(Group::kSentinel, HKEY_LOCAL_MACHINE, kProductInfo, L"1000001", pelican + L"\\");
  }
  return error_.empty();
}

bool SimulatedInstallation::LayDownShell() {
  const std::wstring target = client();
  const std::wstring desktop =
      setup_util::GetShellFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Tern.lnk";
  const std::wstring quick_launch = setup_util::GetShellFolderPath(CSIDL_APPDATA) +
                                    L"\\Microsoft\\Internet Explorer\\Quick Launch\\Tern.lnk";
  const std::wstring menu =
      setup_util::GetShellFolderPath(CSIDL_COMMON_PROGRAMS) + L"\\Corvane\x8F6F\x4EF6";
  const std::wstring pinned = setup_util::GetShellFolderPath(CSIDL_APPDATA) +
                              L"\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned";
  for (const std::wstring& link :
       {desktop, quick_launch, menu + L"\\Tern\\Tern.lnk", pinned + L"\\TaskBar\\Tern.lnk",
        pinned + L"\\StartMenu\\Tern.lnk"}) {
    removal_test::MakeDirs(link.substr(0, link.find_last_of(L'\\')));
    if (!finish_test::MakeShortcut(link, target))
      return Fail("cannot make the shortcut " + removal_test::Utf8(link));
    made_files_.push_back(link);
  }
  for (const std::wstring& link : {desktop, quick_launch, menu + L"\\Tern\\Tern.lnk"}) {
    items_.push_back({Group::kClient, "file " + removal_test::Utf8(link),
                      [link] { return removal_test::Exists(link); }, link});
  }
  listed_files_.push_back(menu + L"\\Tern\\Tern.lnk");
  listed_dirs_.push_back(menu + L"\\Tern");
  listed_dirs_.push_back(menu);
  made_dirs_.push_back(menu);
  // Pins are the shell's records: the pin list is asked to drop them.
  const finish_test::ScopedPinList* pins = &parts_->pins;
  if (!pins->ok())
    return Fail("cannot register the pin list stand-in");
  for (const std::wstring& link : {menu + L"\\Tern\\Tern.lnk", pinned + L"\\TaskBar\\Tern.lnk",
                                   pinned + L"\\StartMenu\\Tern.lnk"}) {
    items_.push_back({Group::kClient, "pin " + removal_test::Utf8(link),
                      [pins, link] {
                        auto removed = pins->Removed();
                        return std::none_of(
                            removed.begin(), removed.end(),
                            [&link](const std::wstring& r) { return SamePath(r, link); });
                      },
                      std::wstring()});
  }

  // The shell's cached display names of the client's programs.
  const std::wstring mui = MuiCacheKey();
  AddValue(Group::kClient, HKEY_CURRENT_USER, mui, target, L"Tern");
  AddValue(Group::kClient, HKEY_CURRENT_USER, mui, install_ + L"\\Bin\\TernApp.exe", L"TernApp");
  AddValue(Group::kSentinel, HKEY_CURRENT_USER, mui, install_ + L"\\Bin\\Tern.exe.LangId", L"2052",
           REG_DWORD);

  // Firewall exceptions of the client's programs.
  std::vector<std::wstring> programs = {target, install_ + L"\\Bin\\ksupd.exe",
                                        install_ + L"\\Bin\\TernPelican.exe",
                                        sentinel_dir_ + L"\\tools.exe"};
  parts_->firewall = std::make_unique<removal_test::ScopedFirewallStandIn>(programs);
  if (!parts_->firewall->ok())
    return Fail("cannot register the firewall manager stand-in");
  const removal_test::ScopedFirewallStandIn* firewall = parts_->firewall.get();
  for (const std::wstring& program : programs) {
    std::string utf8 = removal_test::Utf8(program);
    items_.push_back({program == programs.back() ? Group::kSentinel : Group::kClient,
                      "firewall exception " + utf8,
                      [firewall, utf8] {
                        auto list = firewall->Authorized();
                        return std::find(list.begin(), list.end(), utf8) != list.end();
                      },
                      std::wstring()});
  }
  return error_.empty();
}

bool SimulatedInstallation::LayDownCompanions() {
  const std::wstring companion = tern_test::ExeDir() + L"\\companion_uninstaller.exe";
  auto add = [this, &companion](const std::wstring& exe, bool present, const char* args) {
    removal_test::MakeDirs(exe.substr(0, exe.find_last_of(L'\\')));
    made_dirs_.push_back(exe.substr(0, exe.find_last_of(L'\\')));
    if (!present)
      return true;
    if (!CopyFileW(companion.c_str(), exe.c_str(), FALSE))
      return Fail("cannot copy the companion uninstaller");
    std::wstring record = exe + L".started";
    companions_.push_back(exe);
    items_.push_back(
        {Group::kCompanion, "companion " + removal_test::Utf8(exe) + " awaiting \"" + args + "\"",
         [record] { return finish_test::ReadUtf16File(record).empty(); }, std::wstring()});
    return true;
  };
  const std::wstring plume = program_files_ + L"\\Corvane\\Plume";
  const std::wstring minidl = common_files_ + L"\\Corvane\\MiniDL\\minidl.exe";
  const std::wstring update = common_files_ + L"\\Corvane\\TernUpdate\\ternupd.exe";
  if (!add(plume + L"\\uninst.exe", options_.companion_uninstallers, "/S") ||
      !add(minidl, options_.companion_uninstallers, "/PrepareUninstall") ||
      !add(update, true, "/uninstall")) {
    return false;
  }
  finish_test::SetString(HKEY_LOCAL_MACHINE, kAppPaths, L"PlumePath", plume, KEY_WOW64_32KEY);
  made_keys_.push_back({HKEY_LOCAL_MACHINE, kAppPaths, KEY_WOW64_32KEY});
  finish_test::SetString(HKEY_CLASSES_ROOT, std::wstring(kMiniDlProgId) + L"\\CLSID", nullptr,
                         kMiniDlClsid);
  made_keys_.push_back({HKEY_CLASSES_ROOT, kMiniDlProgId, 0});
  std::wstring clsid = std::wstring(L"CLSID\\") + kMiniDlClsid;
  finish_test::SetString(HKEY_CLASSES_ROOT, clsid + L"\\LocalServer32", nullptr,
                         L"\"" + minidl + L"\"", KEY_WOW64_32KEY);
  made_keys_.push_back({HKEY_CLASSES_ROOT, clsid, KEY_WOW64_32KEY});
  made_keys_.push_back({HKEY_CLASSES_ROOT, clsid + L"\\LocalServer32", KEY_WOW64_32KEY});
  return true;
}

bool SimulatedInstallation::LayDownSentinels() {
  made_dirs_.push_back(sentinel_dir_);
  AddFile(Group::kSentinel, sentinel_dir_ + L"\\tools.exe", "MZ");
  AddFile(Group::kSentinel, sentinel_dir_ + L"\\Data\\keep.dat", "keep");
  const std::wstring history =
      setup_util::GetShellFolderPath(CSIDL_APPDATA) + L"\\Corvane\\Tern\\10001\\Msg.db";
  AddFile(Group::kSentinel, history, "history");
  made_dirs_.push_back(setup_util::GetShellFolderPath(CSIDL_APPDATA) + L"\\Corvane\\Tern\\10001");
  AddValue(Group::kSentinel, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\TernTools", L"Install",
           sentinel_dir_);
  made_keys_.push_back({HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\TernTools", 0});
  AddValue(Group::kSentinel, HKEY_CURRENT_USER, L"Software\\Corvane\\TernTools", L"Theme", L"dark");
  made_keys_.push_back({HKEY_CURRENT_USER, L"Software\\Corvane\\TernTools", 0});
  AddValue(Group::kSentinel, HKEY_LOCAL_MACHINE,
           L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TernTools", L"DisplayName",
           L"Tern Tools");
  made_keys_.push_back({HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TernTools", 0});
  AddValue(Group::kSentinel, HKEY_CURRENT_USER, MuiCacheKey(), sentinel_dir_ + L"\\tools.exe",
           L"Tern Tools");
  // Pinned, with a name like the client's, but pointing outside the installation.
  const std::wstring link = setup_util::GetShellFolderPath(CSIDL_APPDATA) +
                            L"\\Microsoft\\Internet Explorer\\Quick Launch\\User "
                            L"Pinned\\TaskBar\\Tern Tools.lnk";
  if (!finish_test::MakeShortcut(link, sentinel_dir_ + L"\\tools.exe"))
    return Fail("cannot make the sentinel shortcut");
  made_files_.push_back(link);
  items_.push_back({Group::kSentinel, "file " + removal_test::Utf8(link),
                    [link] { return removal_test::Exists(link); }, link});
  return error_.empty();
}

bool SimulatedInstallation::WriteDescription() {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Uninstall>\r\n"
      "  <Version versionnum=\"1.0\"/>\r\n  <Regsvr>\r\n"
      "    <Moudle type=\"DLL\" path=\"$intallpath$\\Bin\\TernShell.dll\"/>\r\n"
      "    <Moudle type=\"EXE\" path=\"$common$\\Corvane\\TernUpdate\\ternupd.exe\" "
      "uninstall_arg=\"/uninstall\"/>\r\n"
      "    <Moudle type=\"EXE\" path=\"$intallpath$\\Bin\\Warden\\Bin\\warden.exe\" "
      "uninstall_arg=\"/u\"/>\r\n  </Regsvr>\r\n  <Registry>\r\n"
      "    <Key rootkey=\"HKLM\" subkey=\"SOFTWARE\\Corvane\\Tern\"><Value name=\"Install\"/>"
      "<Value name=\"version\"/><Value name=\"rversion\"/><Value "
      "name=\"AnvilSetup2012\"/></Key>\r\n"
      "    <Key rootkey=\"HKEY_LOCAL_MACHINE\" "
      "subkey=\"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tern\">"
      "<Value name=\"DisplayName\"/><Value name=\"UninstallString\"/></Key>\r\n"
      "    <Key rootkey=\"HKCR\" subkey=\"CLSID\\" +
      removal_test::Utf8(kShellClsid) +
      "\\InprocServer32\"><Value name=\"@\"/><Value name=\"ThreadingModel\"/></Key>\r\n"
      "    <Key rootkey=\"HKCR\" subkey=\"TernShell.ContextMenu\\CLSID\"><Value name=\"@\"/>"
      "</Key>\r\n"
      "    <Key rootkey=\"HKCU\" subkey=\"Software\\Corvane\\Tern\\Settings\">"
      "<Value name=\"LastUin\"/></Key>\r\n  </Registry>\r\n  <Files>\r\n";
  for (const std::wstring& file : listed_files_)
    xml += "    <File path=\"" + XmlPath(file) + "\"/>\r\n";
  for (const std::wstring& dir : listed_dirs_)
    xml += "    <Dir path=\"" + XmlPath(dir) + "\"/>\r\n";
  xml += "  </Files>\r\n</Uninstall>\r\n";
  if (!tern_test::WriteFileBytes(install_ + L"\\Uninstall.xml", xml))
    return Fail("cannot write Uninstall.xml");
  return true;
}

bool SimulatedInstallation::StartProcesses() {
  // The maker's helpers inside the installation, warden.exe anywhere, and another product's
  // crash reporter beside the installation.
  for (const wchar_t* name : {L"bugreport.exe", L"PelicanExternal.exe", L"vantle.exe"})
    AddProcess(Group::kClient, install_ + L"\\Bin\\" + name);
  AddProcess(Group::kClient, tern_test::ExeDir() + L"\\peers\\warden\\warden.exe");
  const std::wstring other = sentinel_dir_ + L"\\bugreport.exe";
  if (!CopyFileW((tern_test::ExeDir() + L"\\peers\\corvane\\Tern.exe").c_str(), other.c_str(),
                 FALSE)) {
    return Fail("cannot copy the sentinel process");
  }
  AddProcess(Group::kSentinel, other);

  Parts& parts = *parts_;
  const std::wstring ready = parts.stats_dir.Join(L"ready");
  std::wstring replies(options_.stats_replies.begin(), options_.stats_replies.end());
  if (!parts.stats_server.Start(tern_test::ExeDir() + L"\\stats_server.exe",
                                tern_test::QuoteArg(L"--dir=" + parts.stats_dir.path()) +
                                    L" --port=443 " +
                                    tern_test::QuoteArg(L"--replies=" + replies))) {
    return Fail("cannot start the statistics server");
  }
  for (int i = 0; i < 500 && !removal_test::Exists(ready); ++i)
    Sleep(20);
  if (!removal_test::Exists(ready))
    return Fail("the statistics server is not listening on 127.0.0.1:443");
  return error_.empty();
}

}  // namespace uninstall_scenario
