// Loads the test build of the extension (with its TEST-ONLY seam) from a scratch folder, so
// tests can put a Docwick.exe of their choice beside it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "debug_output_listener.h"
#include "ext_test_util.h"
#include "guids.h"
#include "tern_test/scoped_temp_dir.h"
#include "test_seam.h"

namespace docwickext_test {

class SeamFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.valid());
    dll_ = dir_.Join(DOCWICKEXT_DLL_NAME);
    ASSERT_TRUE(CopyFileW(SeamDllPath().c_str(), dll_.c_str(), FALSE));
    module_ = LoadLibraryW(dll_.c_str());
    ASSERT_TRUE(module_);
    auto getClassObject = Export<DllGetClassObjectFunc>(module_, "DllGetClassObject");
    ASSERT_TRUE(getClassObject);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK,
              getClassObject(CLSID_TernShellExtension, IID_IClassFactory, factory.ReceiveVoid()));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu3, menu_.ReceiveVoid()));
    ASSERT_EQ(S_OK, menu_->QueryInterface(IID_ITernShellExtensionTestSeam, seam_.ReceiveVoid()));
  }

  void TearDown() override {
    seam_.Reset();
    menu_.Reset();
    if (module_)
      FreeLibrary(module_);
  }

  std::wstring Line(const std::wstring& message) const { return LogLine(module_, message); }

  tern_test::ScopedTempDir dir_;
  std::wstring dll_;
  HMODULE module_ = nullptr;
  ComPtr<IContextMenu3> menu_;
  ComPtr<ITernShellExtensionTestSeam> seam_;
  DebugOutputListener log_;
};

}  // namespace docwickext_test
