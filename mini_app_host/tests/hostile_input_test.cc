// Hostile channel input to the real TernApp.exe: unknown ids, truncated fields, unexpected
// VARIANT types and unknown callback ids are answered or ignored, never a crash.
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace ternapp_test {
namespace {

using ternapp_client::Message;

const char kApp[] =
    "on view\n"
    "  require M\n"
    "  callvalues M beta d f:cb\n";

void AnswerWithOneFunction(ternapp_client::Client& client) {
  client.SetResponder([](const Event& request, cdSerialize* reply) {
    if (request.id != 0x10045)
      return;
    VARIANT name;
    VariantInit(&name);
    V_VT(&name) = VT_BSTR;
    V_BSTR(&name) = SysAllocString(L"beta");
    DISPPARAMS params = {&name, nullptr, 1, 0};
    WriteSerialize(reply, CD_DISPPARAMS, &params);
    VariantClear(&name);
  });
}

class HostileInputTest : public testing::Test {
 protected:
  void SetUp() override {
    AnswerWithOneFunction(session_.client());
    ASSERT_TRUE(session_.Start(kApp));
    ASSERT_TRUE(session_.OpenMainView(40, 40, -1, true));
    ASSERT_TRUE(session_.HasLine("callvalues M.beta ok=1 result=unset"));
  }
  void ExpectAlive() {
    bool handled = false;
    ASSERT_TRUE(session_.client().SendInput(1, 0x1005, 0, 0, &handled)) << "host stopped answering";
    EXPECT_TRUE(handled);
  }
  bool View(Message& m, uint32_t conn = 1) {
    bool handled = true;
    EXPECT_TRUE(session_.client().SendViewMessage(conn, m.get(), &handled));
    return handled;
  }
  bool Channel(Message& m) {
    bool handled = false;
    EXPECT_TRUE(session_.client().SendChannelMessage(m.get(), &handled));
    return handled;
  }

  HostSession session_;
};

TEST_F(HostileInputTest, UnknownIdsAndTruncatedViewMessagesAreNotHandled) {
  Message unknown(0x5555);
  EXPECT_FALSE(View(unknown));
  Message input_cut(0x1024);
  input_cut.U32(0x1004);
  EXPECT_FALSE(View(input_cut));
  Message input_wrong_types(0x1024);
  input_wrong_types.Text("x").Text("y").Text("z");
  EXPECT_FALSE(View(input_wrong_types));
  Message create_cut(0x10026);
  create_cut.Text("name").Text("second");
  EXPECT_FALSE(View(create_cut));
  Message texts_cut(0x10027);
  texts_cut.Text("only one");
  EXPECT_FALSE(View(texts_cut));
  // A second view on the same connection is refused instead of leaking the first.
  bool handled = true;
  ASSERT_TRUE(session_.client().CreateView(1, "again", "page", "", -1, false, &handled));
  EXPECT_FALSE(handled);
  // No id at all, and bytes that are no field.
  EXPECT_TRUE(session_.client().SendRaw(CD_FRAME_VIEW_MESSAGE, 1, 9001, {}));
  EXPECT_TRUE(session_.client().SendRaw(CD_FRAME_VIEW_MESSAGE, 1, 9002, {0xFF, 0xFE, 0x01}));
  EXPECT_TRUE(session_.client().SendRaw(99, 1, 0, {1, 2, 3}));
  EXPECT_TRUE(session_.client().SendRaw(CD_FRAME_RESIZE, 1, 0, {7}));
  EXPECT_TRUE(session_.client().SendRaw(CD_FRAME_OPEN_VIEW, 1, 0, {}));
  EXPECT_TRUE(session_.client().SendRaw(CD_FRAME_RESIZE, 42, 0, {}));
  // Messages to a connection never opened.
  Message to_nowhere(0x1024);
  to_nowhere.U32(0x1005).U32(0).I32(0);
  EXPECT_FALSE(View(to_nowhere, 42));
  ExpectAlive();
  // The two raw view messages were answered as not handled.
  int unanswered = 0;
  for (const Event& e : session_.client().Events()) {
    if (e.kind == Event::kResult && (e.seq == 9001 || e.seq == 9002))
      unanswered += e.handled ? 100 : 1;
  }
  EXPECT_EQ(unanswered, 2);
}

TEST_F(HostileInputTest, ChannelMessagesWithBadFieldsOrIdsDoNothing) {
  Message unknown(0x9999);
  EXPECT_FALSE(Channel(unknown));
  Message invoke_cut(0x10028);
  invoke_cut.I32(1);
  EXPECT_TRUE(Channel(invoke_cut));
  Message release_cut(0x10029);
  EXPECT_TRUE(Channel(release_cut));
  bool handled = false;
  ASSERT_TRUE(session_.client().InvokeCallback(424242, {1}, &handled));
  EXPECT_TRUE(handled);
  ASSERT_TRUE(session_.client().InvokeCallback(0, {1}, &handled));
  ASSERT_TRUE(session_.client().InvokeCallback(-1, {1}, &handled));
  // Malformed VARIANT bytes inside the DISPPARAMS: the message is cut short.
  Message bad_variant(0x10028);
  bad_variant.I32(1);
  const uint8_t bytes[] = {6, 1, 0, 0, 0, 0x0D, 0x00};
  cdAppendSerializeRaw(bad_variant.get(), bytes, sizeof(bytes));
  EXPECT_TRUE(Channel(bad_variant));
  EXPECT_EQ(session_.CountPrefix("callback"), 0u);
  ExpectAlive();
}

TEST_F(HostileInputTest, UnexpectedVariantTypesAreLeftOutOfTheCallback) {
  VARIANT inner;
  VariantInit(&inner);
  V_VT(&inner) = VT_INT;
  V_INT(&inner) = 5;
  std::vector<VARIANT> args(7);
  for (VARIANT& v : args)
    VariantInit(&v);
  V_VT(&args[0]) = VT_I4;
  V_I4(&args[0]) = 3;
  V_VT(&args[1]) = VT_EMPTY;
  V_VT(&args[2]) = VT_UI8;
  V_UI8(&args[2]) = 1;
  V_VT(&args[3]) = VT_VARIANT;  // type 12 pointing at an integer, not a JSON text
  V_BYREF(&args[3]) = &inner;
  V_VT(&args[4]) = VT_INT;
  V_INT(&args[4]) = 6;
  V_VT(&args[5]) = VT_BSTR;
  V_BSTR(&args[5]) = SysAllocString(L"x");
  V_VT(&args[6]) = VT_VARIANT;  // type 12 without a value
  V_BYREF(&args[6]) = nullptr;
  Message m(0x10028);
  m.I32(1).Params(args);
  EXPECT_TRUE(Channel(m));
  VariantClear(&args[5]);
  EXPECT_TRUE(session_.HasLine("callback cb i:6 s:x"));
  ExpectAlive();
}

}  // namespace
}  // namespace ternapp_test
