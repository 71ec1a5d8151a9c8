// PNG and BMP files from 32-bit pixels, for test pictures and screenshots.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tern_test/screenshot.h"

namespace docwick_test {

using tern_test::SavePng;
// A 24-bit BMP of the colour channels.
bool SaveBmp(const std::wstring& path, int width, int height, const std::vector<BYTE>& bgra);

// A head picture: a figure in white on a background of `rgb`.
std::vector<BYTE> HeadPicture(int size, COLORREF rgb);

}  // namespace docwick_test
