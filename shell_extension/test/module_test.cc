#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "ext_test_util.h"
#include "guids.h"

namespace docwickext_test {
namespace {

// The exports of the shipped DLL, called directly.
class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW(ExtDllPath().c_str());
    ASSERT_TRUE(module_);
    canUnload_ = Export<DllCanUnloadNowFunc>(module_, "DllCanUnloadNow");
    getClassObject_ = Export<DllGetClassObjectFunc>(module_, "DllGetClassObject");
    ASSERT_TRUE(canUnload_ && getClassObject_);
    ASSERT_EQ(S_OK, canUnload_());
  }
  void TearDown() override { FreeLibrary(module_); }

  HMODULE module_ = nullptr;
  DllCanUnloadNowFunc canUnload_ = nullptr;
  DllGetClassObjectFunc getClassObject_ = nullptr;
};

TEST_F(ModuleTest, CanUnloadOnlyWhenNoObjectFactoryOrLockLives) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK,
            getClassObject_(CLSID_TernShellExtension, IID_IClassFactory, factory.ReceiveVoid()));
  EXPECT_EQ(S_FALSE, canUnload_());

  ComPtr<IContextMenu> menu;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IContextMenu, menu.ReceiveVoid()));
  factory.Reset();
  EXPECT_EQ(S_FALSE, canUnload_());
  menu.Reset();
  EXPECT_EQ(S_OK, canUnload_());

  ASSERT_EQ(S_OK,
            getClassObject_(CLSID_TernShellExtension, IID_IClassFactory, factory.ReceiveVoid()));
  EXPECT_EQ(S_OK, factory->LockServer(TRUE));
  factory.Reset();
  EXPECT_EQ(S_FALSE, canUnload_());
  ASSERT_EQ(S_OK,
            getClassObject_(CLSID_TernShellExtension, IID_IClassFactory, factory.ReceiveVoid()));
  EXPECT_EQ(S_OK, factory->LockServer(FALSE));
  factory.Reset();
  EXPECT_EQ(S_OK, canUnload_());
}

TEST_F(ModuleTest, GetClassObjectChecksPointerAndClass) {
  EXPECT_EQ(E_POINTER, getClassObject_(CLSID_TernShellExtension, IID_IClassFactory, nullptr));
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
            getClassObject_(IID_ITernShellExtension, IID_IClassFactory, &out));
  EXPECT_EQ(nullptr, out);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, getClassObject_(CLSID_TernShellExtension, IID_IContextMenu, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(S_OK, canUnload_());
}

TEST_F(ModuleTest, FactoryIsCreatedOnceAndKept) {
  ComPtr<IClassFactory> first, second;
  ASSERT_EQ(S_OK,
            getClassObject_(CLSID_TernShellExtension, IID_IClassFactory, first.ReceiveVoid()));
  first.Reset();
  ASSERT_EQ(S_OK, getClassObject_(CLSID_TernShellExtension, IID_IUnknown, second.ReceiveVoid()));
  ComPtr<IClassFactory> again;
  ASSERT_EQ(S_OK,
            getClassObject_(CLSID_TernShellExtension, IID_IClassFactory, again.ReceiveVoid()));
  EXPECT_EQ(static_cast<IUnknown*>(again.get()), second.get());
}

TEST_F(ModuleTest, CreateInstanceRefusesAggregationAndUnknownInterfaces) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK,
            getClassObject_(CLSID_TernShellExtension, IID_IClassFactory, factory.ReceiveVoid()));
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(
      CLASS_E_NOAGGREGATION,
      factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.get()), IID_IUnknown, &out));
  EXPECT_EQ(nullptr, out);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IPersistFile, &out));
  EXPECT_EQ(nullptr, out);
  factory.Reset();
  // The refused object was destroyed: no module lock is left behind.
  EXPECT_EQ(S_OK, canUnload_());
}

}  // namespace
}  // namespace docwickext_test
