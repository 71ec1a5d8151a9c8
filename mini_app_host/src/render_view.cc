#include "render_view.h"

#include <cstring>
#include <new>

#include "channel_messages.h"
#include "input_event.h"
#include "tern_app_host.h"
#include "view_geometry.h"

namespace ternapp {

namespace {

// The 0x102A message as the host interface wants it: an object that writes itself.
struct SizeMessage {
  cdMessageObject base;
  SIZE size;
  static BOOL Serialize(cdMessageObject* self, cdSerialize* serializer) {
    SizeMessage* m = reinterpret_cast<SizeMessage*>(self);
    uint32_t id = kMsgViewSize;
    return WriteSerialize(serializer, CD_UINT32, &id) &&
           WriteSerialize(serializer, CD_SIZE, &m->size);
  }
};

}  // namespace

RenderView::RenderView(cdHostInterface* host) : host_(host) {
  ops_.release = release;
  ops_.onMessage = onMessage;
  ops_.onResize = onResize;
  ops_.view = this;
  (void)type_name_;
}

cdChannelOps* RenderView::Create(cdHostInterface* host) {
  RenderView* view = new (std::nothrow) RenderView(host);
  if (!view)
    return nullptr;
  view->callbacks_ = new (std::nothrow) SkiffEngineCallbacks{view, onInvalidate, onResize};
  if (!view->callbacks_) {
    delete view;
    return nullptr;
  }
  return &view->ops_;
}

void RenderView::release(void* view) {
  static_cast<RenderView*>(view)->Release();
}

BOOL RenderView::onMessage(void* view, uint32_t id, cdSerialize* serializer) {
  RenderView* self = static_cast<RenderView*>(view);
  switch (id) {
    case kMsgInput:
      return self->HandleInput(serializer) ? TRUE : FALSE;
    case kMsgCreateView:
      return self->HandleCreateView(serializer) ? TRUE : FALSE;
    case kMsgViewTexts:
      return self->HandleTexts(serializer) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

void RenderView::onResize(void* view, int width, int height) {
  static_cast<RenderView*>(view)->ResizeFromClient(width, height);
}

void RenderView::onInvalidate(void* owner, int x, int y, int width, int height) {
  static_cast<RenderView*>(owner)->Repaint(x, y, width, height);
}

void RenderView::onResize(void* owner, int left, int top, int right, int bottom) {
  RenderView* self = static_cast<RenderView*>(owner);
  if (!self->host_)
    return;
  self->ResizeFromEngine(right - left, bottom - top);
}

void RenderView::Release() {
  host_ = nullptr;
  if (bitmap_)
    DeleteBitmap(bitmap_);
  bitmap_ = nullptr;
  if (engine_bitmap_)
    skiffBitmapDestroy(engine_bitmap_);
  engine_bitmap_ = nullptr;
  if (canvas_)
    skiffCanvasDestroy(canvas_);
  canvas_ = nullptr;
  // The container keeps a pointer to the callback record: destroy the container first.
  if (container_)
    skiffDestroyContainer(container_);
  container_ = nullptr;
  delete callbacks_;
  callbacks_ = nullptr;
  if (view_)
    skiffDestroyView(view_);
  view_ = nullptr;
  if (--refs_ == 0)
    delete this;
}

bool RenderView::HandleInput(cdSerialize* serializer) {
  uint32_t code = 0, wparam = 0;
  int32_t lparam = 0;
  if (!ReadSerialize(serializer, CD_UINT32, &code) ||
      !ReadSerialize(serializer, CD_UINT32, &wparam) ||
      !ReadSerialize(serializer, CD_INT32, &lparam))
    return false;
  InputCall call = MapInputEvent(code, wparam, lparam);
  SkiffContainer* c = container_;
  switch (call.entry) {
    case 0:
      if (funcs_.doubleClick)
        funcs_.doubleClick(c, call.x, call.y, call.button, call.wparam);
      break;
    case 2:
      if (funcs_.buttonDown)
        funcs_.buttonDown(c, call.x, call.y, call.button, call.wparam);
      break;
    case 3:
      if (funcs_.buttonUp)
        funcs_.buttonUp(c, call.x, call.y, call.button, call.wparam);
      break;
    case 4:
      if (funcs_.pointerMove)
        funcs_.pointerMove(c, call.x, call.y, call.wparam);
      break;
    case 5:
      if (funcs_.pointerEnter)
        funcs_.pointerEnter(c);
      break;
    case 6:
      if (funcs_.pointerLeave)
        funcs_.pointerLeave(c);
      break;
    case 7:
      if (funcs_.wheel)
        funcs_.wheel(c, call.x, call.y, call.low_word, call.high_word);
      break;
    case 8:
      if (funcs_.keyDown)
        funcs_.keyDown(c, call.wparam, call.low_word, static_cast<uint32_t>(call.high_word));
      break;
    case 9:
      if (funcs_.keyUp)
        funcs_.keyUp(c, call.wparam, call.low_word, static_cast<uint32_t>(call.high_word));
      break;
    default:
      break;
  }
  return call.handled;
}

bool RenderView::HandleCreateView(cdSerialize* serializer) {
  const char* name = nullptr;
  const char* second = nullptr;
  const char* initial = nullptr;
  int32_t max_width = 0, host_calls = 0;
  if (!ReadSerialize(serializer, CD_STRING, &name) ||
      !ReadSerialize(serializer, CD_STRING, &second) ||
      !ReadSerialize(serializer, CD_STRING, &initial) ||
      !ReadSerialize(serializer, CD_INT32, &max_width) ||
      !ReadSerialize(serializer, CD_INT32, &host_calls))
    return false;
  if (!*second)
    return false;
  // One engine view per connection: a repeated request would leak the first one.
  if (view_ || container_)
    return false;
  view_name_ = name;
  max_width_ = max_width;
  container_ = skiffCreateContainer(&funcs_, callbacks_);
  SkiffModuleRecord module_record = {NoOperation, OnModuleNotification, nullptr};
  SkiffHostRecord host_record = {host_calls ? RequestHostFunctions : nullptr, nullptr, nullptr};
  const std::string& storage = StorageDirectory();
  view_ = skiffCreateView(view_name_.c_str(), second, storage.c_str(), 0, storage.c_str(),
                          host_record, module_record);
  if (view_) {
    skiffBindContainer(view_, container_);
    if (container_ && *initial && funcs_.initialData)
      funcs_.initialData(container_, initial);
  }
  return true;
}

bool RenderView::HandleTexts(cdSerialize* serializer) {
  const char* first = nullptr;
  const char* second = nullptr;
  if (!ReadSerialize(serializer, CD_STRING, &first) ||
      !ReadSerialize(serializer, CD_STRING, &second))
    return false;
  if (funcs_.message)
    funcs_.message(container_, first, second);
  return true;
}

void RenderView::ResizeFromClient(int width, int height) {
  ternapp::ClientResize r = ComputeClientResize(width_, height_, width, height, max_width_);
  if (!r.changed)
    return;
  width_ = r.width;
  height_ = r.height;
  if (funcs_.widthLimited)
    funcs_.widthLimited(container_, width_, height_);
  RebuildCanvas(width_, height_);
  if (host_ && host_->sizeChanged)
    host_->sizeChanged(host_->context, width_, height_);
}

void RenderView::ResizeFromEngine(int width, int height) {
  double scale = skiffGetPixelScale();
  ternapp::EngineResize r = ComputeEngineResize(width_, height_, width, height, scale, max_width_);
  if (!r.changed)
    return;
  width_ = r.width;
  height_ = r.height;
  if (r.limited && funcs_.widthLimited)
    funcs_.widthLimited(container_, r.limited_logical_width, r.logical_height);
  RebuildCanvas(width_, height_);
  if (host_ && host_->sizeChanged)
    host_->sizeChanged(host_->context, width_, height_);
  SendSize();
}

void RenderView::DropEngineCanvas() {
  if (engine_bitmap_)
    skiffBitmapDestroy(engine_bitmap_);
  engine_bitmap_ = nullptr;
  if (canvas_)
    skiffCanvasDestroy(canvas_);
  canvas_ = nullptr;
}

void RenderView::RebuildCanvas(int width, int height) {
  if (bitmap_)
    DeleteBitmap(bitmap_);
  bitmap_ = CreateMemBitmap(width, height);
  void* bits = nullptr;
  int pitch = 0;
  if (!LockBitmapBits(bitmap_, &bits, &pitch)) {
    // The old engine bitmap and canvas point into the pixels just freed: never use them.
    DropEngineCanvas();
    UnlockBitmapBits(bitmap_);
    return;
  }
  std::memset(bits, 0, static_cast<size_t>(pitch) * static_cast<size_t>(height));
  DropEngineCanvas();
  engine_bitmap_ = skiffBitmapCreateFromData(bits, width, height, pitch);
  if (engine_bitmap_)
    canvas_ = skiffCreateContainerCanvasFromBitmap(engine_bitmap_);
  UnlockBitmapBits(bitmap_);
}

void RenderView::Repaint(int x, int y, int width, int height) {
  // Without a canvas there is nothing safe to paint into.
  if (funcs_.paint && canvas_) {
    skiffCanvasClear(canvas_, x, y, width, height);
    funcs_.paint(container_, canvas_, x, y, width, height);
  }
  if (!host_)
    return;
  Rect device = ScaleRect({x, y, width, height}, skiffGetPixelScale());
  if (bitmap_ && host_->present)
    host_->present(host_->context, bitmap_, device.x, device.y, device.width, device.height);
  SendSize();
}

void RenderView::SendSize() {
  if (!host_ || !host_->sendMessage)
    return;
  SizeMessage message;
  message.base.serialize = SizeMessage::Serialize;
  message.size = {width_, height_};
  host_->sendMessage(host_->context, &message.base);
}

cdChannelOps* viewFactory(cdHostInterface* host) {
  return RenderView::Create(host);
}

}  // namespace ternapp
