// Private to the simulated installation: the scoped stand-ins it owns and a helper its
// files share.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "removal_test_support.h"
#include "scenario/simulated_installation.h"
#include "test_helpers_win.h"
#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"
#include "warden_fixture.h"

namespace uninstall_scenario {

// The scoped stand-ins and records; declared in the order they are set up, so they go in
// reverse, and the saved pending renames come back last.
struct SimulatedInstallation::Parts {
  removal_test::ScopedPendingRenames pending;
  finish_test::ScopedPinList pins;
  WardenFixture warden;
  std::unique_ptr<ScopedWardenCoreService> service;
  std::unique_ptr<removal_test::ScopedFirewallStandIn> firewall;
  tern_test::ScopedTempDir stats_dir;
  tern_test::ScopedProcess stats_server;
};

// Paths compared as Windows compares them, without regard to case.
bool SamePath(const std::wstring& a, const std::wstring& b);

}  // namespace uninstall_scenario
