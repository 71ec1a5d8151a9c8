// The protection component as the uninstall tasks find it in the test prefix: the Warden
// stand-in at the common program files location, its recorded switches, and the product list
// under the real WardenCore service key. Everything is removed again on destruction.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tern_test/scoped_temp_dir.h"

class WardenFixture {
 public:
  WardenFixture();
  ~WardenFixture();

  // Places Warden.exe (and WardenVi.dat) at the default location; `behaviour` as the stand-in
  // reads it ("<switches>=<code>|hang" lines).
  bool InstallWarden(const std::string& behaviour = "");
  // The switches of every run so far, in order.
  std::vector<std::string> Calls() const;
  // Replaces the ProductInfo values; `present` false leaves the service key without the subkey.
  void SetProducts(const std::vector<std::wstring>& names, bool present = true);
  std::vector<std::wstring> Products() const;

  const std::wstring& warden_path() const { return warden_path_; }

 private:
  tern_test::ScopedTempDir record_dir_;
  std::wstring warden_path_;
  bool created_service_key_ = false;
};

// The WardenCore stand-in registered and started with the real service control manager;
// with `ignore_stop` it stays running through a stop request, as a hung service would.
class ScopedWardenCoreService {
 public:
  explicit ScopedWardenCoreService(bool ignore_stop);
  // Lets an ignoring service end and waits until the manager has forgotten it.
  ~ScopedWardenCoreService();
  bool running() const { return running_; }

 private:
  bool running_ = false;
};

// Whether the service control manager still knows WardenCore.
bool WardenCoreServiceExists();
