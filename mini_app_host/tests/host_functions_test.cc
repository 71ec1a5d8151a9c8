// Host functions and script callbacks through the real TernApp.exe: registration from the
// client's reply, text and value calls with their VARIANT conversions, module notification,
// and the callback messages 0x10028 / 0x10029.
#include <deque>
#include <mutex>

#include <gtest/gtest.h>

#include "host_fixture.h"

namespace ternapp_test {
namespace {

VARIANT Bstr(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

VARIANT Int(int value, VARTYPE vt = VT_INT) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = vt;
  V_INT(&v) = value;
  return v;
}

// Answers 0x10045 with three names and one integer, 0x10046 with TRUE, and 0x10047 with the
// queued replies in order (an empty queue answers VT_EMPTY).
class Responder {
 public:
  void Install(ternapp_client::Client& client) {
    client.SetResponder([this](const Event& request, cdSerialize* reply) {
      if (request.id == 0x10045) {
        VARIANT args[4] = {Bstr(L"alpha"), Int(9), Bstr(L"beta"), Bstr(L"gamma")};
        DISPPARAMS params = {args, nullptr, 4, 0};
        WriteSerialize(reply, CD_DISPPARAMS, &params);
        for (VARIANT& v : args)
          VariantClear(&v);
      } else if (request.id == 0x10046) {
        BOOL result = TRUE;
        WriteSerialize(reply, CD_BOOL, &result);
      } else if (request.id == 0x10047) {
        std::lock_guard<std::mutex> lock(mutex_);
        VARIANT v;
        VariantInit(&v);
        if (!values_.empty()) {
          v = values_.front();
          values_.pop_front();
        }
        WriteSerialize(reply, CD_VARIANT, &v);
        cdClearVariant(&v);
      }
    });
  }
  void Queue(VARIANT v) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_.push_back(v);
  }

 private:
  std::mutex mutex_;
  std::deque<VARIANT> values_;
};

const char kApp[] =
    "on view\n"
    "  require M\n"
    "  calltext M alpha hello\n"
    "  callvalues M beta data1 i:5 d:2.5 b:1 s:hi o:[1,2] f:first f:second\n"
    "on entry 13\n"
    "  unload M\n"
    "  calltext M alpha again\n"
    "  quit\n";

TEST(HostFunctionsTest, RegistersNamesCallsWithConvertedValuesAndCallsBack) {
  HostSession session;
  Responder responder;
  VARIANT json;
  VariantInit(&json);
  V_VT(&json) = VT_VARIANT;
  VARIANT* inner = static_cast<VARIANT*>(CoTaskMemAlloc(sizeof(VARIANT)));
  *inner = Bstr(L"{\"r\":2}");
  V_BYREF(&json) = inner;
  responder.Queue(json);
  ASSERT_TRUE(session.Start(kApp, L"groupid=5"));
  responder.Install(session.client());
  ASSERT_TRUE(session.OpenMainView(10, 10, -1, true));

  EXPECT_TRUE(session.HasLine("require M functions=3 alpha beta gamma"));
  EXPECT_TRUE(session.HasLine("calltext M.alpha -> 1"));
  EXPECT_TRUE(session.HasLine("callvalues M.beta ok=1 result=o:{\"r\":2}"));

  std::vector<Event> events = session.client().Events();
  std::vector<Event> texts = Requests(events, 0x10046);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].texts, (std::vector<std::string>{"M", "alpha", "hello"}));
  EXPECT_EQ(texts[0].group, 5u);
  std::vector<Event> values = Requests(events, 0x10047);
  ASSERT_EQ(values.size(), 1u);
  ASSERT_TRUE(values[0].decoded);
  EXPECT_EQ(values[0].texts, (std::vector<std::string>{"M", "beta", "data1"}));
  const std::vector<ternapp_client::RecordedArg>& a = values[0].args;
  ASSERT_EQ(a.size(), 7u);
  EXPECT_EQ(a[0].vt, VT_INT);
  EXPECT_EQ(a[0].integer, 5);
  EXPECT_EQ(a[1].vt, VT_R8);
  EXPECT_DOUBLE_EQ(a[1].number, 2.5);
  EXPECT_EQ(a[2].vt, VT_BOOL);
  EXPECT_EQ(a[2].integer, 1);
  EXPECT_EQ(a[3].vt, VT_BSTR);
  EXPECT_EQ(a[3].text, "hi");
  // A plain object travels as JSON text inside a type-12 VARIANT.
  EXPECT_EQ(a[4].vt, 12);
  ASSERT_TRUE(a[4].has_inner);
  EXPECT_EQ(a[4].inner_vt, VT_BSTR);
  EXPECT_EQ(a[4].inner_text, "[1,2]");
  // Two functions get two ids, the first of the process being 1.
  EXPECT_EQ(a[5].vt, 12);
  EXPECT_EQ(a[5].inner_vt, VT_INT);
  EXPECT_EQ(a[5].inner_integer, 1);
  EXPECT_EQ(a[6].inner_vt, VT_INT);
  EXPECT_EQ(a[6].inner_integer, 2);

  auto& client = session.client();
  bool handled = false;
  ASSERT_TRUE(client.InvokeCallback(1, {7, 8}, &handled));
  EXPECT_TRUE(handled);
  EXPECT_TRUE(session.HasLine("callback first i:7 i:8"));
  ASSERT_TRUE(client.InvokeCallback(2, {}, &handled));
  EXPECT_TRUE(session.HasLine("callback second"));
  // The entry stays after an invocation; it goes with 0x10029.
  ASSERT_TRUE(client.InvokeCallback(1, {3}, &handled));
  EXPECT_EQ(session.CountPrefix("callback first"), 2u);
  ASSERT_TRUE(client.ReleaseCallback(1, &handled));
  EXPECT_TRUE(handled);
  ASSERT_TRUE(client.InvokeCallback(1, {4}, &handled));
  EXPECT_TRUE(handled);
  EXPECT_EQ(session.CountPrefix("callback first"), 2u);
  // Releasing an unknown id and invoking one never issued do nothing but count as handled.
  ASSERT_TRUE(client.ReleaseCallback(1, &handled));
  EXPECT_TRUE(handled);
  ASSERT_TRUE(client.InvokeCallback(77, {1}, &handled));
  EXPECT_TRUE(handled);
  EXPECT_EQ(session.CountPrefix("callback"), 3u);

  // Module notification: the client hears it and the module's functions are gone.
  EXPECT_EQ(session.QuitThroughMessage(), 0u);
  std::vector<Event> notes = Requests(session.client().Events(), 0x10048);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].texts, std::vector<std::string>{"M"});
  EXPECT_TRUE(session.HasLine("calltext M.alpha unknown"));
}

TEST(HostFunctionsTest, ReplyVariantsConvertToScriptValues) {
  HostSession session;
  Responder responder;
  VARIANT r8;
  VariantInit(&r8);
  V_VT(&r8) = VT_R8;
  V_R8(&r8) = 0.25;
  VARIANT boolean;
  VariantInit(&boolean);
  V_VT(&boolean) = VT_BOOL;
  V_BOOL(&boolean) = VARIANT_TRUE;
  responder.Queue(r8);
  responder.Queue(boolean);
  responder.Queue(Int(-4));
  responder.Queue(Bstr(L"caf\u00e9"));
  responder.Queue(Int(3, VT_I4));  // no script form: the result stays unset
  std::string app = "on view\n  require M\n";
  for (int i = 0; i < 6; ++i)
    app += "  callvalues M beta d\n";
  ASSERT_TRUE(session.Start(app));
  responder.Install(session.client());
  ASSERT_TRUE(session.OpenMainView(10, 10, -1, true));
  std::vector<std::string> results;
  for (const std::string& line : session.LogLines()) {
    if (line.compare(0, 10, "callvalues") == 0)
      results.push_back(line);
  }
  const std::vector<std::string> expected = {
      "callvalues M.beta ok=1 result=d:0.25", "callvalues M.beta ok=1 result=b:1",
      "callvalues M.beta ok=1 result=i:-4",   "callvalues M.beta ok=1 result=s:caf\xc3\xa9",
      "callvalues M.beta ok=1 result=unset",
      "callvalues M.beta ok=1 result=unset",  // VT_EMPTY
  };
  EXPECT_EQ(results, expected);
}

TEST(HostFunctionsTest, ObjectWithoutJsonFailsTheCallAndSendsNothing) {
  HostSession session;
  Responder responder;
  ASSERT_TRUE(session.Start("on view\n  require M\n  callvalues M beta d i:1 o:!\n"));
  responder.Install(session.client());
  ASSERT_TRUE(session.OpenMainView(10, 10, -1, true));
  EXPECT_TRUE(session.HasLine("callvalues M.beta ok=0 result=unset"));
  EXPECT_TRUE(Requests(session.client().Events(), 0x10047).empty());
}

TEST(HostFunctionsTest, ViewsWithoutHostCallsAskForNothing) {
  HostSession session;
  ASSERT_TRUE(session.Start("on view\n  require M\n"));
  ASSERT_TRUE(session.OpenMainView(10, 10, -1, false));
  EXPECT_TRUE(session.HasLine("require M host-calls-off"));
  EXPECT_TRUE(Requests(session.client().Events(), 0x10045).empty());
}

TEST(HostFunctionsTest, UnansweredRequestsRegisterNothingAndReturnFalse) {
  HostSession session;
  // The client answers every request with an empty reply: no fields to read.
  ASSERT_TRUE(session.Start("on view\n  require M\n"));
  ASSERT_TRUE(session.OpenMainView(10, 10, -1, true));
  EXPECT_TRUE(session.HasLine("require M functions=0"));
  bool handled = true;
  ASSERT_TRUE(session.client().SendInput(1, 0x1002, 0, 0, &handled));
  EXPECT_FALSE(handled);
}

TEST(HostFunctionsTest, ARequestThatTimesOutReturnsFalseAndLeavesTheResultUnset) {
  HostSession session;
  ASSERT_TRUE(
      session.Start("on view\n  require M\n  calltext M alpha slow\n  callvalues M beta slow i:1\n"
                    "  calltext M alpha fast\n"));
  // The client sits on the first two calls for longer than the host's 5000 ms.
  int slow_calls = 0;
  session.client().SetResponder([&](const Event& request, cdSerialize* reply) {
    if (request.id == 0x10045) {
      VARIANT names[2];
      for (VARIANT& v : names)
        VariantInit(&v);
      V_VT(&names[0]) = VT_BSTR;
      V_BSTR(&names[0]) = SysAllocString(L"alpha");
      V_VT(&names[1]) = VT_BSTR;
      V_BSTR(&names[1]) = SysAllocString(L"beta");
      DISPPARAMS params = {names, nullptr, 2, 0};
      WriteSerialize(reply, CD_DISPPARAMS, &params);
      for (VARIANT& v : names)
        VariantClear(&v);
      return;
    }
    if (!request.texts.empty() && request.texts.back() != "fast" && slow_calls++ < 2)
      Sleep(5600);
    BOOL yes = TRUE;
    VARIANT empty;
    VariantInit(&empty);
    if (request.id == 0x10046)
      WriteSerialize(reply, CD_BOOL, &yes);
    else
      WriteSerialize(reply, CD_VARIANT, &empty);
  });
  auto& client = session.client();
  ASSERT_TRUE(client.OpenView(1));
  ternapp_client::Message create(0x10026);
  create.Text("main").Text("page").Text("").I32(-1).I32(1);
  bool handled = false;
  ASSERT_TRUE(client.SendViewMessage(1, create.get(), &handled, 40000));
  EXPECT_TRUE(session.HasLine("calltext M.alpha -> 0"));
  EXPECT_TRUE(session.HasLine("callvalues M.beta ok=1 result=unset"));
  // The late replies are dropped; the next call gets its own answer.
  EXPECT_TRUE(session.HasLine("calltext M.alpha -> 1"));
}

}  // namespace
}  // namespace ternapp_test
