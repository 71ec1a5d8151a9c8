#include "dialog_fixture.h"

#include "png_file.h"
#include "tern_test/process.h"

namespace docwick_test {

IKSPlatformCore* DialogTest::s_core = nullptr;
CPlatformCoreFactory DialogTest::s_factory;

HRESULT CPlatformCoreFactory::CreateObject(REFCLSID clsid, REFIID iid, void** out) {
  docwick::CLatticePtr<IKSPlatformCore> core;
  HRESULT hr = GetPlatformCore(core.Receive());
  if (FAILED(hr))
    return hr;
  return core->CreateObject(clsid, iid, out);
}

void DialogTest::SetUpTestSuite() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CreateObjectFromDllFile(L"Keystone.dll", CLSID_KSPlatformCore, IID_IKSPlatformCore,
                          reinterpret_cast<void**>(&s_core));
  SetCustomObjectFactory(&s_factory);
}

void DialogTest::TearDownTestSuite() {
  SetCustomObjectFactory(nullptr);
  if (s_core) {
    s_core->Shutdown();
    s_core->Release();
    s_core = nullptr;
  }
  CoUninitialize();
}

void DialogTest::UseFactory(bool on) {
  SetCustomObjectFactory(on ? &s_factory : nullptr);
}

void DialogTest::SetUp() {
  ASSERT_TRUE(s_core) << "no platform core";
  ASSERT_TRUE(m_dir.valid());
}

HRESULT DialogTest::MakeAccounts(const std::vector<Account>& accounts, IKSArray** out) {
  docwick::CLatticePtr<IKSArray> array;
  HRESULT hr = CreateKSArray(array.Receive());
  for (size_t i = 0; SUCCEEDED(hr) && i < accounts.size(); ++i) {
    docwick::CLatticePtr<IKSData> data;
    hr = CreateKSData(data.Receive());
    if (SUCCEEDED(hr))
      hr = data->SetUInt64("u64Uin", 10000 + i);
    if (SUCCEEDED(hr))
      hr = data->SetString("strShowName", accounts[i].name.c_str());
    if (SUCCEEDED(hr))
      hr = data->SetString("strHeadFilePath", accounts[i].head_path.c_str());
    if (SUCCEEDED(hr))
      hr = array->AddObject(data.get());
  }
  if (SUCCEEDED(hr))
    *out = array.Detach();
  return hr;
}

std::wstring DialogTest::MakeHead(const std::wstring& file_name, COLORREF rgb, int size) {
  std::wstring path = m_dir.Join(file_name);
  std::vector<BYTE> pixels = HeadPicture(size, rgb);
  bool png = file_name.size() > 4 && file_name.compare(file_name.size() - 4, 4, L".png") == 0;
  bool ok = png ? SUCCEEDED(SavePng(path, size, size, pixels)) : SaveBmp(path, size, size, pixels);
  EXPECT_TRUE(ok) << "cannot write the head picture";
  return path;
}

std::wstring DialogTest::ScreenshotPath(const std::wstring& file_name) {
  std::wstring dir = tern_test::ExeDir() + L"\\dialog_screenshots";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir + L"\\" + file_name;
}

std::vector<UINT> DialogTest::ToVector(IKSArray* indices) {
  std::vector<UINT> rows;
  for (UINT i = 0; indices && i < indices->GetCount(); ++i) {
    UINT value = 0;
    EXPECT_EQ(S_OK, indices->GetUInt32At(i, &value));
    rows.push_back(value);
  }
  return rows;
}

}  // namespace docwick_test
