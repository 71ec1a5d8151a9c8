// Screenshots of windows on the test display, kept as PNG files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tern_test {

// The client area's pixels as on screen (straight BGRA, opaque, rows top-down), after a
// synchronous repaint. Without a window manager the frame is not drawn, so it is left out.
bool CaptureWindow(HWND hwnd, int* width, int* height, std::vector<BYTE>* bgra);
// `bgra` holds straight (not premultiplied) BGRA rows, top-down, width * 4 bytes each.
// COM must be initialised on the calling thread.
HRESULT SavePng(const std::wstring& path, int width, int height, const std::vector<BYTE>& bgra);

}  // namespace tern_test
