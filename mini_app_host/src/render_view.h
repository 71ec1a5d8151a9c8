// One view per client connection: creates the engine view and container on request, forwards
// input, keeps the canvas in a memory bitmap whose pixels the engine paints, and presents.
#pragma once

#include <cstdint>
#include <string>

#include "conduit.h"
#include "raster32.h"
#include "skiff.h"

namespace ternapp {

enum : uint32_t {
  kMsgInput = 0x1024,
  kMsgCreateView = 0x10026,
  kMsgViewTexts = 0x10027,
  kMsgViewSize = 0x102A,
};

class RenderView {
 public:
  // Builds a view with one reference and returns its channel operations; null when out of memory.
  static cdChannelOps* Create(cdHostInterface* host);

 private:
  explicit RenderView(cdHostInterface* host);
  ~RenderView() = default;
  RenderView(const RenderView&) = delete;
  RenderView& operator=(const RenderView&) = delete;

  static void release(void* view);
  static BOOL onMessage(void* view, uint32_t id, cdSerialize* serializer);
  static void onResize(void* view, int width, int height);
  static void onInvalidate(void* owner, int x, int y, int width, int height);
  static void onResize(void* owner, int left, int top, int right, int bottom);

  void Release();
  bool HandleInput(cdSerialize* serializer);
  bool HandleCreateView(cdSerialize* serializer);
  bool HandleTexts(cdSerialize* serializer);
  void ResizeFromClient(int width, int height);
  void ResizeFromEngine(int width, int height);
  void RebuildCanvas(int width, int height);
  void DropEngineCanvas();
  void Repaint(int x, int y, int width, int height);
  void SendSize();

  int refs_ = 1;
  const char* const type_name_ = "Render";
  cdChannelOps ops_ = {};
  cdHostInterface* host_ = nullptr;
  SkiffEngineCallbacks* callbacks_ = nullptr;
  SkiffContainerFuncs funcs_ = {};
  SkiffView* view_ = nullptr;
  SkiffContainer* container_ = nullptr;
  SkiffCanvas* canvas_ = nullptr;
  SkiffBitmap* engine_bitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  R32Bitmap* bitmap_ = nullptr;
  int max_width_ = -1;
  std::string view_name_;
};

// The channel's view factory.
cdChannelOps* viewFactory(cdHostInterface* host);

}  // namespace ternapp
