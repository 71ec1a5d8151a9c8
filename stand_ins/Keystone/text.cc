// Base64 and UTF-8 conversions.
#include "keystone.h"

#include <string.h>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Sextet(char c) {
  const char* p = c ? strchr(kAlphabet, c) : nullptr;
  return p ? static_cast<int>(p - kAlphabet) : -1;
}

}  // namespace

KS_API int Base64Encode(const void* data, int size, int flags, char* out, int capacity) {
  if (size < 0 || (!data && size) || flags != 1)
    return -1;
  const unsigned char* in = static_cast<const unsigned char*>(data);
  int needed = (size + 2) / 3 * 4;
  if (!out || needed >= capacity)
    return needed;
  int o = 0;
  for (int i = 0; i < size; i += 3) {
    unsigned v = in[i] << 16;
    if (i + 1 < size)
      v |= in[i + 1] << 8;
    if (i + 2 < size)
      v |= in[i + 2];
    out[o++] = kAlphabet[(v >> 18) & 63];
    out[o++] = kAlphabet[(v >> 12) & 63];
    out[o++] = i + 1 < size ? kAlphabet[(v >> 6) & 63] : '=';
    out[o++] = i + 2 < size ? kAlphabet[v & 63] : '=';
  }
  out[o] = '\0';
  return o;
}

KS_API int Base64Decode(const char* text, int length, unsigned char* out, int capacity) {
  if (length < 0 || (!text && length) || length % 4 != 0)
    return -1;
  int o = 0;
  for (int i = 0; i < length; i += 4) {
    int s[4];
    int pad = 0;
    for (int k = 0; k < 4; ++k) {
      char c = text[i + k];
      // Padding only in the last group, and only at its end.
      if (c == '=' && i + 4 == length && k >= 2) {
        s[k] = 0;
        ++pad;
        continue;
      }
      if (pad || (s[k] = Sextet(c)) < 0)
        return -1;
    }
    unsigned v = (s[0] << 18) | (s[1] << 12) | (s[2] << 6) | s[3];
    unsigned char bytes[3] = {static_cast<unsigned char>(v >> 16),
                              static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
    for (int k = 0; k < 3 - pad; ++k) {
      if (o >= capacity)
        return -1;
      out[o++] = bytes[k];
    }
  }
  return o;
}

KS_API int Utf8FromWS(const wchar_t* text, int length, char* out, int capacity) {
  if (length <= 0) {
    if (out && capacity > 0)
      out[0] = '\0';
    return length == 0 ? 0 : -1;
  }
  int needed = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0 || !out || needed >= capacity)
    return needed;
  WideCharToMultiByte(CP_UTF8, 0, text, length, out, capacity, nullptr, nullptr);
  out[needed] = '\0';
  return needed;
}

KS_API int Utf8ToWS(const char* text, int length, wchar_t* out, int capacity) {
  if (length <= 0) {
    if (out && capacity > 0)
      out[0] = L'\0';
    return length == 0 ? 0 : -1;
  }
  int needed = MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
  if (needed <= 0 || !out || needed >= capacity)
    return needed;
  MultiByteToWideChar(CP_UTF8, 0, text, length, out, capacity);
  out[needed] = L'\0';
  return needed;
}
