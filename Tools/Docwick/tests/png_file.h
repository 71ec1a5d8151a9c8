// PNG and BMP files from 32-bit pixels, for test pictures and screenshots.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace docwick_test {

// `bgra` holds straight (not premultiplied) BGRA rows, top-down, width * 4 bytes each.
HRESULT SavePng(const std::wstring& path, int width, int height, const std::vector<BYTE>& bgra);
// A 24-bit BMP of the colour channels.
bool SaveBmp(const std::wstring& path, int width, int height, const std::vector<BYTE>& bgra);

// A head picture: a figure in white on a background of `rgb`.
std::vector<BYTE> HeadPicture(int size, COLORREF rgb);

}  // namespace docwick_test
