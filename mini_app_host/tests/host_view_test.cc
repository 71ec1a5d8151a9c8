// Views of the real TernApp.exe: input dispatch, resizes from both sides with the maximum
// width, presents at the pixel scale, and the pixels the client receives.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace ternapp_test {
namespace {

int32_t Point(int x, int y) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                              static_cast<uint16_t>(x));
}

// Sends an input event nobody handles and waits for its answer: every frame the host wrote
// before it has then arrived.
void Sync(HostSession& session) {
  bool handled = true;
  ASSERT_TRUE(session.client().SendInput(1, 0x1002, 0, 0, &handled));
  EXPECT_FALSE(handled);
}

TEST(HostViewTest, InputEventsReachTheirEntriesWithMappedArguments) {
  HostSession session;
  ASSERT_TRUE(session.Start("on entry 13\n  quit\n"));
  ASSERT_TRUE(session.OpenMainView(200, 100));
  const struct {
    uint32_t code;
    uint32_t wparam;
    int32_t lparam;
    bool handled;
    const char* line;  // expected engine line, null when no entry runs
  } cases[] = {
      {0x1004, 0xFF880005u, Point(20, 30), true, "entry 7 20 30 5 -120"},
      {0x1001, 9, Point(-3, 4), true, "entry 0 -3 4 1 9"},
      {0x1007, 1, Point(5, 6), true, "entry 2 5 6 1 1"},
      {0x1009, 2, Point(5, 6), true, "entry 2 5 6 2 2"},
      {0x1008, 0, Point(7, 8), true, "entry 3 7 8 1 0"},
      {0x100A, 0, Point(7, 8), true, "entry 3 7 8 2 0"},
      {0x1003, 4, Point(1, 2), true, "entry 4 1 2 4"},
      {0x1005, 0, 0, true, "entry 5"},
      {0x1006, 0, 0, true, "entry 6"},
      {0x100B, 0x41, static_cast<int32_t>(0xC0010001u), false, "entry 8 65 1 49153"},
      {0x100C, 0x41, 1, false, "entry 9 65 1 0"},
      {0x1002, 1, 1, false, nullptr},
      {0x2000, 1, 1, false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.code);
    size_t before = session.LogLines().size();
    bool handled = !c.handled;
    ASSERT_TRUE(session.client().SendInput(1, c.code, c.wparam, c.lparam, &handled));
    EXPECT_EQ(handled, c.handled);
    std::vector<std::string> lines = session.LogLines();
    if (c.line) {
      ASSERT_EQ(lines.size(), before + 1);
      EXPECT_EQ(lines.back(), c.line);
    } else {
      EXPECT_EQ(lines.size(), before);
    }
  }
  EXPECT_EQ(session.QuitThroughMessage(), 0u);
}

TEST(HostViewTest, ClientResizeIsLimitedByMaximumWidthAndSameSizeSendsNothing) {
  HostSession session;
  ASSERT_TRUE(session.Start("on entry 13\n  quit\n"));
  bool handled = false;
  auto& client = session.client();
  ASSERT_TRUE(client.OpenView(1));
  ASSERT_TRUE(client.CreateView(1, "main", "page", "", 400, false, &handled));
  ASSERT_TRUE(client.Resize(1, 600, 300));
  Sync(session);
  std::vector<Event> sizes = OfKind(client.Events(), Event::kSizeChanged);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].width, 400);
  EXPECT_EQ(sizes[0].height, 300);
  EXPECT_TRUE(session.HasLine("entry 11 400 300"));

  size_t events = client.EventCount();
  size_t entry11 = session.CountPrefix("entry 11");
  ASSERT_TRUE(client.Resize(1, 400, 300));
  Sync(session);
  // Only the result of the sync message came back.
  EXPECT_EQ(client.EventCount(), events + 1);
  EXPECT_EQ(session.CountPrefix("entry 11"), entry11);
  EXPECT_EQ(session.QuitThroughMessage(), 0u);
}

TEST(HostViewTest, EngineResizeScalesLimitsAndReportsTheSize) {
  HostSession session;
  ASSERT_TRUE(session.Start(
      "scale 1.5\non entry 13\n  resize 0 0 300 100\non entry 12\n  resize 0 0 100 40\n"));
  auto& client = session.client();
  bool handled = false;
  ASSERT_TRUE(client.OpenView(1));
  ASSERT_TRUE(client.CreateView(1, "main", "page", "", 400, false, &handled));
  ASSERT_TRUE(client.SendTexts(1, "grow", "", &handled));
  EXPECT_TRUE(handled);
  std::vector<Event> events = client.Events();
  std::vector<Event> sizes = OfKind(events, Event::kSizeChanged);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].width, 400);  // 450 limited to 400
  EXPECT_EQ(sizes[0].height, 150);
  std::vector<Event> sends = OfKind(events, Event::kViewSend);
  ASSERT_EQ(sends.size(), 1u);
  EXPECT_EQ(sends[0].id, 0x102Au);
  EXPECT_EQ(sends[0].width, 400);
  EXPECT_EQ(sends[0].height, 150);
  // The container hears the limit in logical units: 400 / 1.5 truncated.
  EXPECT_TRUE(session.HasLine("entry 11 266 100"));

  // Without a limit the device size is 450 x 150, and the same logical size again changes
  // nothing.
  ASSERT_TRUE(client.OpenView(2));
  ASSERT_TRUE(client.CreateView(2, "wide", "page", "", -1, false, &handled));
  ASSERT_TRUE(client.SendTexts(2, "grow", "", &handled));
  sizes = OfKind(client.Events(), Event::kSizeChanged);
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_EQ(sizes[1].conn, 2u);
  EXPECT_EQ(sizes[1].width, 450);
  EXPECT_EQ(sizes[1].height, 150);
  size_t count = client.EventCount();
  ASSERT_TRUE(client.SendTexts(2, "grow", "", &handled));
  EXPECT_EQ(client.EventCount(), count + 1);
}

TEST(HostViewTest, InitialDataReachesEntry12OnlyWhenNotEmpty) {
  HostSession session;
  ASSERT_TRUE(session.Start("on entry 13\n  quit\n"));
  auto& client = session.client();
  bool handled = false;
  ASSERT_TRUE(client.OpenView(1));
  ASSERT_TRUE(client.CreateView(1, "main", "page", "{\"a\":1}", -1, false, &handled));
  EXPECT_TRUE(handled);
  EXPECT_TRUE(session.HasLine("entry 12 {\"a\":1}"));
  ASSERT_TRUE(client.OpenView(2));
  ASSERT_TRUE(client.CreateView(2, "other", "page", "", -1, false, &handled));
  EXPECT_EQ(session.CountPrefix("entry 12"), 1u);
  // An empty second text creates nothing and is not handled.
  ASSERT_TRUE(client.OpenView(3));
  ASSERT_TRUE(client.CreateView(3, "third", "", "x", -1, false, &handled));
  EXPECT_FALSE(handled);
  EXPECT_EQ(session.CountPrefix("view third"), 0u);
  // A view the engine refuses: handled, but nothing bound and no initial data.
  ASSERT_TRUE(client.OpenView(4));
  ASSERT_TRUE(client.CreateView(4, "refuse", "page", "y", -1, false, &handled));
  EXPECT_TRUE(handled);
  EXPECT_FALSE(session.HasLine("entry 12 y"));
  EXPECT_EQ(session.CountPrefix("bind refuse"), 0u);
  ASSERT_TRUE(client.SendTexts(1, "a", "b", &handled));
}

TEST(HostViewTest, RepaintAtScaleOnePointFivePresentsScaledRectangleWithPaintedPixels) {
  HostSession session;
  ASSERT_TRUE(session.Start(
      "scale 1.5\non view\n  fill 0 128 255\n  invalidate 10 10 100 50\non entry 13\n  quit\n"));
  ASSERT_TRUE(session.OpenMainView(400, 300));
  auto& client = session.client();
  ASSERT_TRUE(client.WaitFor(
      [](const std::vector<Event>& e) { return !OfKind(e, Event::kPresent).empty(); }, 10000));
  Sync(session);
  std::vector<Event> events = client.Events();
  std::vector<Event> presents = OfKind(events, Event::kPresent);
  ASSERT_EQ(presents.size(), 1u);
  const Event& p = presents[0];
  EXPECT_EQ(p.x, 15);
  EXPECT_EQ(p.y, 15);
  EXPECT_EQ(p.width, 150);
  EXPECT_EQ(p.height, 75);
  EXPECT_EQ(p.bitmap_width, 400);
  EXPECT_EQ(p.bitmap_height, 300);
  ASSERT_EQ(p.pixels.size(), 150u * 75u);
  for (uint32_t pixel : p.pixels)
    ASSERT_EQ(pixel, 0xFF0080FFu);
  EXPECT_TRUE(session.HasLine("entry 10 10 10 100 50"));
  // The present is followed by the view's size.
  std::vector<Event> sends = OfKind(events, Event::kViewSend);
  ASSERT_FALSE(sends.empty());
  EXPECT_EQ(sends.back().id, 0x102Au);
  EXPECT_EQ(sends.back().width, 400);
  EXPECT_EQ(sends.back().height, 300);

  int w = 0, h = 0;
  std::vector<uint32_t> frame = client.Frame(1, &w, &h);
  ASSERT_EQ(w, 400);
  ASSERT_EQ(h, 300);
  EXPECT_EQ(frame[15 * 400 + 15], 0xFF0080FFu);
  EXPECT_EQ(frame[89 * 400 + 164], 0xFF0080FFu);
  EXPECT_EQ(frame[90 * 400 + 165], 0u);
  EXPECT_EQ(frame[14 * 400 + 15], 0u);
  EXPECT_EQ(session.QuitThroughMessage(), 0u);
}

TEST(HostViewTest, AfterAFailedBitmapLockNothingPaintsIntoFreedPixels) {
  HostSession session;
  ASSERT_TRUE(
      session.Start("on view\n  fill 255 0 0\n  invalidate 0 0 50 50\n"
                    "on entry 13\n  fill 0 255 0\n  invalidate 0 0 50 50\n"));
  ASSERT_TRUE(session.OpenMainView(100, 100));
  auto& client = session.client();
  bool handled = false;
  // 0 x 0 has no bitmap: the lock fails and the old canvas must be gone.
  ASSERT_TRUE(client.Resize(1, 0, 0));
  size_t paints = session.CountPrefix("entry 10");
  ASSERT_TRUE(client.SendTexts(1, "paint", "", &handled));
  EXPECT_EQ(session.CountPrefix("entry 10"), paints);
  // The view recovers with the next real size.
  ASSERT_TRUE(client.Resize(1, 60, 60));
  ASSERT_TRUE(client.SendTexts(1, "paint", "", &handled));
  EXPECT_EQ(session.CountPrefix("entry 10"), paints + 1);
  Sync(session);
  std::vector<Event> presents = OfKind(client.Events(), Event::kPresent);
  ASSERT_FALSE(presents.empty());
  EXPECT_EQ(presents.back().bitmap_width, 60);
  ASSERT_FALSE(presents.back().pixels.empty());
  EXPECT_EQ(presents.back().pixels[0], 0xFF00FF00u);
  DWORD code = 0;
  EXPECT_FALSE(client.WaitExit(0, &code)) << "TernApp ended with " << code;
}

TEST(HostViewTest, ClosingAConnectionReleasesItsEngineObjects) {
  HostSession session;
  ASSERT_TRUE(session.Start("on entry 13\n  quit\n"));
  ASSERT_TRUE(session.OpenMainView(30, 30));
  auto& client = session.client();
  ASSERT_TRUE(client.OpenView(2));
  bool handled = false;
  ASSERT_TRUE(client.CreateView(2, "second", "page", "", -1, false, &handled));
  ASSERT_TRUE(client.CloseView(2));
  Sync(session);
  EXPECT_TRUE(session.HasLine("view-destroyed second"));
  EXPECT_FALSE(session.HasLine("view-destroyed main"));
  // Messages to the closed connection are not handled.
  ASSERT_TRUE(client.SendTexts(2, "a", "b", &handled));
  EXPECT_FALSE(handled);
  EXPECT_EQ(session.QuitThroughMessage(), 0u);
}

}  // namespace
}  // namespace ternapp_test
