#include <windows.h>

#include <gtest/gtest.h>

#include "ext_test_util.h"

namespace docwickext_test {
namespace {

#pragma pack(push, 2)
struct IconDirectory {
  WORD reserved;
  WORD type;
  WORD count;
};
#pragma pack(pop)

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(ExtDllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module_);
  }
  void TearDown() override { FreeLibrary(module_); }
  HMODULE module_ = nullptr;
};

TEST_F(ResourcesTest, ScriptsTypeLibraryAndStringAreInPlace) {
  struct Entry {
    const wchar_t* type;
    int id;
    WORD language;
  } const entries[] = {
      {L"REGISTRY", 101, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)},
      {L"REGISTRY", 106, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
      {L"TYPELIB", 1, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)},
  };
  for (const Entry& e : entries) {
    EXPECT_TRUE(FindResourceExW(module_, e.type, MAKEINTRESOURCEW(e.id), e.language))
        << Narrow(e.type) << " " << e.id;
  }
  wchar_t name[32] = {};
  EXPECT_EQ(10, LoadStringW(module_, 100, name, 32));
  EXPECT_STREQ(L"DocwickExt", name);
}

TEST_F(ResourcesTest, BitmapAndIconGroupsHaveTheirImages) {
  HRSRC bitmap = FindResourceW(module_, MAKEINTRESOURCEW(203), MAKEINTRESOURCEW(2));  // RT_BITMAP
  ASSERT_TRUE(bitmap);
  const BITMAPINFOHEADER* header =
      static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module_, bitmap)));
  EXPECT_EQ(16, header->biWidth);
  EXPECT_EQ(16, header->biHeight);
  EXPECT_EQ(32, header->biBitCount);

  for (const auto& group : {std::make_pair(202, 1), std::make_pair(129, 8)}) {
    HRSRC icon = FindResourceW(module_, MAKEINTRESOURCEW(group.first), MAKEINTRESOURCEW(14));
    ASSERT_TRUE(icon) << group.first;  // RT_GROUP_ICON
    const IconDirectory* dir =
        static_cast<const IconDirectory*>(LockResource(LoadResource(module_, icon)));
    EXPECT_EQ(1, dir->type);
    EXPECT_EQ(group.second, dir->count) << group.first;
  }
}

TEST_F(ResourcesTest, VersionResourceNamesTheFile) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(ExtDllPath().c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(ExtDllPath().c_str(), 0, size, &block[0]));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(&block[0], L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(MAKELONG(0, 5), fixed->dwFileVersionMS);
  wchar_t* text = nullptr;
  ASSERT_TRUE(VerQueryValueW(&block[0], L"\\StringFileInfo\\040904b0\\OriginalFilename",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(DOCWICKEXT_DLL_NAME, text);
}

}  // namespace
}  // namespace docwickext_test
