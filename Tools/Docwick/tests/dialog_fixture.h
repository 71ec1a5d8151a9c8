// A UI framework host for dialog tests: the platform core of the base library, the object
// factory the framework creates its images through, account arrays and head pictures.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "keystone.h"
#include "lattice.h"
#include "tern_test/scoped_temp_dir.h"
#include "windows/lattice_ptr.h"

namespace docwick_test {

// Creates objects through the base library's platform core, as the program's environment does.
class CPlatformCoreFactory : public ILatticeObjectFactory {
 public:
  HRESULT STDMETHODCALLTYPE CreateObject(REFCLSID clsid, REFIID iid, void** out) override;
};

class DialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  struct Account {
    std::wstring name;
    std::wstring head_path;
  };
  // A new array of account data objects.
  static HRESULT MakeAccounts(const std::vector<Account>& accounts, IKSArray** out);
  // A head picture file in the test's folder; ".png" or ".bmp" by the name's extension.
  std::wstring MakeHead(const std::wstring& file_name, COLORREF rgb, int size = 64);
  // Where screenshots go: a folder beside the test program, kept after the run.
  static std::wstring ScreenshotPath(const std::wstring& file_name);
  // Sets or unsets the framework's object factory.
  static void UseFactory(bool on);
  // The rows of `indices`, for comparisons.
  static std::vector<UINT> ToVector(IKSArray* indices);

  tern_test::ScopedTempDir m_dir;

 private:
  static IKSPlatformCore* s_core;
  static CPlatformCoreFactory s_factory;
};

}  // namespace docwick_test
