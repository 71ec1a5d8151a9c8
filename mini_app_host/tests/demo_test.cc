// The demo as the lead runs it: the stand-in client runs the demo app in TernApp.exe and saves
// the last presented frame as a PNG.
#include <gtest/gtest.h>

#include "tern_test/process.h"
#include "tern_test/scoped_temp_dir.h"

namespace {

uint32_t BigEndian(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i)
    v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

TEST(DemoTest, SavesTheLastFrameAsPng) {
  tern_test::ScopedTempDir dir;
  ASSERT_TRUE(dir.valid());
  std::wstring bin = tern_test::ExeDir();
  std::wstring png = dir.Join(L"demo.png");
  tern_test::ProcessResult r = tern_test::RunProcess(
      bin + L"\\ternapp_client.exe",
      tern_test::QuoteArg(bin + L"\\TernApp.exe") + L" " +
          tern_test::QuoteArg(bin + L"\\ternapp_demo_app.txt") + L" " + tern_test::QuoteArg(png),
      60000);
  ASSERT_TRUE(r.started);
  ASSERT_FALSE(r.timed_out);
  EXPECT_EQ(r.exit_code, 0u);
  std::string bytes = tern_test::ReadFileBytes(png);
  ASSERT_GT(bytes.size(), 33u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  EXPECT_EQ(bytes.substr(12, 4), "IHDR");
  EXPECT_EQ(BigEndian(bytes, 16), 300u);
  EXPECT_EQ(BigEndian(bytes, 20), 180u);
  // The first pixel is the demo's blue background (stored blocks: raw after the filter byte).
  size_t idat = bytes.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  const std::string first_pixel = std::string("\x00\x1e\x3c\xc8\xff", 5);
  EXPECT_EQ(bytes.substr(idat + 4 + 2 + 5, 5), first_pixel);
}

}  // namespace
