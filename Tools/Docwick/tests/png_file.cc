#include "png_file.h"

#include <math.h>

#include "tern_test/process.h"

namespace docwick_test {

bool SaveBmp(const std::wstring& path, int width, int height, const std::vector<BYTE>& bgra) {
  int row = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + row * height;
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;  // bottom-up
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  for (int y = height - 1; y >= 0; --y) {
    std::string line(row, '\0');
    for (int x = 0; x < width; ++x)
      memcpy(&line[x * 3], &bgra[(y * width + x) * 4], 3);
    bytes += line;
  }
  return tern_test::WriteFileBytes(path, bytes);
}

std::vector<BYTE> HeadPicture(int size, COLORREF rgb) {
  std::vector<BYTE> pixels(size_t(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float fx = (x + 0.5f) / size, fy = (y + 0.5f) / size;
      bool head = hypotf(fx - 0.5f, fy - 0.40f) < 0.17f;
      bool body = hypotf((fx - 0.5f) / 1.4f, fy - 0.98f) < 0.26f;
      BYTE* p = &pixels[(y * size + x) * 4];
      bool white = head || body;
      p[0] = white ? 0xFF : GetBValue(rgb);
      p[1] = white ? 0xFF : GetGValue(rgb);
      p[2] = white ? 0xFF : GetRValue(rgb);
      p[3] = 0xFF;
    }
  }
  return pixels;
}

}  // namespace docwick_test
