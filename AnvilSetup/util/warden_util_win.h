// The protection component Warden: locating and commanding its control program, and the
// component's list of client products under the WardenCore service key (one string value per
// product, named by the product id in lower-case hex, holding its install directory).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace setup_util {

const uint32_t kProductPelican2009 = 0x01000001;
const uint32_t kProductPelicanLite = 0x01000101;
const uint32_t kProductTern = 0x01060001;  // this uninstaller's product

// The four error lines a Warden command can end with.
struct WardenCommandLines {
  const char* launch_failed;  // null: nothing is logged
  const char* timed_out;
  const char* exit_code;  // followed by the code
  bool launch_failed_with_code;
};
extern const WardenCommandLines kWardenUpdateFlagLines;
extern const WardenCommandLines kWardenInstallCoreLines;
extern const WardenCommandLines kWardenDisableLines;
extern const WardenCommandLines kWardenUnloadLines;
extern const WardenCommandLines kWardenUninstallCoreLines;

const DWORD kWardenLongWaitMs = 60000;
const DWORD kWardenShortWaitMs = 15000;

enum class WardenRunResult { kLaunchFailed, kTimedOut, kExitCodeNotZero, kSucceeded };

// The shell's common program files folder as the shipped 32-bit uninstaller sees it.
std::wstring CommonProgramFilesFolder();
// True on a 64-bit Windows (the 32-bit uninstaller running under WOW64).
bool IsWindows64Bit();

// Common program files + "Corvane\Warden\Bin\Warden.exe".
std::wstring DefaultWardenFilePath();
// Tries the common program files location, the Warden service key, then the client's Install
// value; logs "GetWardenFilePath: <path>". False (and an empty path) when nothing exists.
bool GetWardenFilePath(std::wstring* path);

// Starts "<path>" <switches>, waits at most `wait_ms`, terminates it (exit code 0) after the
// limit, and logs the outcome's line at error level.
WardenRunResult RunWardenCommand(const std::wstring& path,
                                 const std::wstring& switches,
                                 DWORD wait_ms,
                                 const WardenCommandLines& lines);

// "/pfc on|off" "/3" through the Warden.exe at the default location only. False when it is
// missing ("warden not existed:" is logged); true otherwise, whatever the command's outcome.
bool WardenWriteUpdateFlag(bool on);
// "/irwardencore" "/fp enable" "/3", same location rule.
bool WardenInstallCoreService();

// The value name of a product id: lower-case hex without leading zeros.
std::wstring WardenProductValueName(uint32_t product_id);
bool RegisterWardenProduct(const std::wstring& directory, uint32_t product_id);
// Deletes this product's value; true also when the key, subkey or value is absent.
bool UnregisterWardenProduct();
int WardenProductCount();
// True when ProductInfo holds a value whose name is not this product's.
bool OtherWardenProductRegistered();
// Registers products installed by the current setup framework that the list misses.
void RefreshWardenProductInfo();
// The driver may be unloaded and the core service removed: this is the last product.
bool IsLastWardenProduct(int product_count);

// The version in WardenVi.dat beside `warden_path`. Its data is enciphered with a key that
// only the component knows, so the version counts as unreadable: false, *version = 0.
bool ReadWardenVersion(const std::wstring& warden_path, uint32_t* version);
// Unloading the driver needs version 3.5.2.0 or later.
bool WardenVersionPermitsUnload(uint32_t version);

}  // namespace setup_util
