// Keystone.dll: the base library of the client (stand-in). Text crosses the DLL boundary only
// in caller-provided buffers; the inline helpers at the end wrap the two-call pattern.
#pragma once

#include <windows.h>
#include <stdarg.h>

#include <string>

#ifdef KEYSTONE_BUILD
#define KS_API extern "C" __declspec(dllexport)
#else
#define KS_API extern "C" __declspec(dllimport)
#endif

namespace spool {
class MessageLoop;
}

// {2289D8B7-C29A-47AE-9A7E-7B784E502B30}
const CLSID CLSID_KSPlatformCore = {0x2289d8b7,
                                    0xc29a,
                                    0x47ae,
                                    {0x9a, 0x7e, 0x7b, 0x78, 0x4e, 0x50, 0x2b, 0x30}};
// {65A51D9F-1A1F-40D4-932A-43BE5FF86E39}
const IID IID_IKSPlatformCore = {0x65a51d9f,
                                 0x1a1f,
                                 0x40d4,
                                 {0x93, 0x2a, 0x43, 0xbe, 0x5f, 0xf8, 0x6e, 0x39}};

// Creates the framework's objects by class; modules make classes known with RegisterClass.
struct IKSPlatformCore : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateObject(REFCLSID clsid, REFIID iid, void** out) = 0;
  virtual HRESULT STDMETHODCALLTYPE Shutdown() = 0;
};

typedef HRESULT(STDMETHODCALLTYPE* KSClassCreator)(REFIID iid, void** out);

// {0E6B0C43-5C1E-4B55-9C3F-2F8C1A6E7D01}
const IID IID_IKSData = {0x0e6b0c43,
                         0x5c1e,
                         0x4b55,
                         {0x9c, 0x3f, 0x2f, 0x8c, 0x1a, 0x6e, 0x7d, 0x01}};
// {0E6B0C43-5C1E-4B55-9C3F-2F8C1A6E7D02}
const IID IID_IKSArray = {0x0e6b0c43,
                          0x5c1e,
                          0x4b55,
                          {0x9c, 0x3f, 0x2f, 0x8c, 0x1a, 0x6e, 0x7d, 0x02}};
// {0E6B0C43-5C1E-4B55-9C3F-2F8C1A6E7D03}
const IID IID_IKSBuffer = {0x0e6b0c43,
                           0x5c1e,
                           0x4b55,
                           {0x9c, 0x3f, 0x2f, 0x8c, 0x1a, 0x6e, 0x7d, 0x03}};

// A keyed data object: unsigned 64-bit numbers and wide strings by member name.
struct IKSData : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetUInt64(const char* name, unsigned long long value) = 0;
  // E_INVALIDARG for a null out place; HRESULT_FROM_WIN32(ERROR_NOT_FOUND) when the member is
  // missing or of another type.
  virtual HRESULT STDMETHODCALLTYPE GetUInt64(const char* name, unsigned long long* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetString(const char* name, const wchar_t* value) = 0;
  // The text stays owned by the object and valid until the member changes or the object goes.
  virtual HRESULT STDMETHODCALLTYPE GetString(const char* name, const wchar_t** value) = 0;
};

// A reference-counted array of objects or unsigned 32-bit numbers.
struct IKSArray : public IUnknown {
  virtual UINT STDMETHODCALLTYPE GetCount() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddObject(IUnknown* object) = 0;
  // HRESULT_FROM_WIN32(ERROR_INVALID_INDEX) outside the array; E_NOINTERFACE for a number or an
  // object without `iid`.
  virtual HRESULT STDMETHODCALLTYPE GetObjectAt(UINT index, REFIID iid, void** out) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddUInt32(UINT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetUInt32At(UINT index, UINT* value) = 0;
};

// A reference-counted byte buffer.
struct IKSBuffer : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Assign(const void* data, UINT size) = 0;
  virtual const BYTE* STDMETHODCALLTYPE GetData() = 0;
  virtual UINT STDMETHODCALLTYPE GetSize() = 0;
};

enum KSLogLevel { KS_LOG_DEBUG = 0, KS_LOG_INFO = 1, KS_LOG_WARNING = 2, KS_LOG_ERROR = 3 };

// Loads `dll_file` from the program's folder and creates `clsid` through its class factory.
KS_API HRESULT CreateObjectFromDllFile(const wchar_t* dll_file,
                                       REFCLSID clsid,
                                       REFIID iid,
                                       void** out);
KS_API HRESULT GetPlatformCore(IKSPlatformCore** out);
// Makes a class creatable through the platform core.
KS_API HRESULT KSRegisterClass(REFCLSID clsid, KSClassCreator creator);

KS_API HRESULT CreateKSArray(IKSArray** out);
KS_API HRESULT CreateKSData(IKSData** out);
KS_API HRESULT CreateKSBuffer(IKSBuffer** out);

// Folder functions write a path without a trailing separator and return its length; a result
// of `capacity` or more means the buffer was too small. 0 on failure.
KS_API int GetExeDir(wchar_t* out, int capacity);
KS_API int GetParentDir(const wchar_t* dir, wchar_t* out, int capacity);

// Platform start-up: each returns non-zero on success. InitPlatform reads the platform file
// ("key=value" lines, UTF-8); InitPlatformI18NConfig loads its "strings" file.
KS_API BOOL InitPlatform(const wchar_t* config_path);
KS_API BOOL InitPlatformI18NConfig();
KS_API BOOL InitPlatformFileSystem();
KS_API BOOL InitPlatformCoreConfig();
KS_API BOOL InitPlatformModeConfig();
KS_API BOOL InitNetwork();
KS_API BOOL InitPlatformLatticeConfig();
KS_API void SetMainAndLogicMsgLoop(spool::MessageLoop* main_loop, spool::MessageLoop* logic_loop);
KS_API void SetMainAndLogicThreadId(DWORD main_thread, DWORD logic_thread);
KS_API spool::MessageLoop* GetMainThreadLoop();
KS_API void OnExitCoreCenter();
KS_API void OnExitWinMain();
KS_API void OnUninitCom();
KS_API void ClearDeadQueue();

// Base64 (RFC 4648, "=" padding). Encode: `flags` 1 for the standard alphabet; returns the
// text length. Decode: returns the byte count, or -1 for text that is not Base64.
KS_API int Base64Encode(const void* data, int size, int flags, char* out, int capacity);
KS_API int Base64Decode(const char* text, int length, unsigned char* out, int capacity);

KS_API int Utf8FromWS(const wchar_t* text, int length, char* out, int capacity);
KS_API int Utf8ToWS(const char* text, int length, wchar_t* out, int capacity);

// The text of `key` in the client's language file, or `fallback`; returns its length.
KS_API int KSLoadString(const wchar_t* key, const wchar_t* fallback, wchar_t* out, int capacity);

// Writes one record to "<program folder>\log\<program name>.log".
KS_API void KSLog_DoKSLogVW(const char* file,
                            int line,
                            const char* function,
                            int level,
                            const wchar_t* category,
                            const wchar_t* format,
                            va_list args);
KS_API void FlushLog();

namespace ks {

template <typename Char, typename Fn>
std::basic_string<Char> TwoCall(Fn fn) {
  std::basic_string<Char> out(260, Char());
  for (int attempt = 0; attempt < 2; ++attempt) {
    int n = fn(&out[0], static_cast<int>(out.size()));
    if (n < 0)
      return std::basic_string<Char>();
    if (n < static_cast<int>(out.size())) {
      out.resize(n);
      return out;
    }
    out.assign(n + 1, Char());
  }
  return std::basic_string<Char>();
}

inline std::wstring ExeDir() {
  return TwoCall<wchar_t>([](wchar_t* b, int c) { return GetExeDir(b, c); });
}
inline std::wstring ParentDir(const std::wstring& dir) {
  return TwoCall<wchar_t>([&](wchar_t* b, int c) { return GetParentDir(dir.c_str(), b, c); });
}
inline std::string ToUtf8(const std::wstring& text) {
  return TwoCall<char>(
      [&](char* b, int c) { return Utf8FromWS(text.data(), static_cast<int>(text.size()), b, c); });
}
inline std::wstring FromUtf8(const std::string& text) {
  return TwoCall<wchar_t>([&](wchar_t* b, int c) {
    return Utf8ToWS(text.data(), static_cast<int>(text.size()), b, c);
  });
}
inline std::string Base64Encode(const std::string& bytes) {
  return TwoCall<char>([&](char* b, int c) {
    return ::Base64Encode(bytes.data(), static_cast<int>(bytes.size()), 1, b, c);
  });
}
// Empty for text that is not Base64.
inline std::string Base64Decode(const std::string& text) {
  std::string out(text.size() / 4 * 3 + 3, '\0');
  int n = ::Base64Decode(text.data(), static_cast<int>(text.size()),
                         reinterpret_cast<unsigned char*>(&out[0]), static_cast<int>(out.size()));
  if (n < 0)
    return std::string();
  out.resize(n);
  return out;
}
inline std::wstring LoadString(const std::wstring& key) {
  return TwoCall<wchar_t>([&](wchar_t* b, int c) { return KSLoadString(key.c_str(), L"", b, c); });
}

}  // namespace ks
