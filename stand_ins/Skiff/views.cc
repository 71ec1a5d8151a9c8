// Views, containers with their 14 entries, engine bitmaps over host pixels, and canvases.
#include <string>

#include "engine_internal.h"

namespace skiff {

namespace {

std::string Join(std::initializer_list<long long> values) {
  std::string out;
  for (long long v : values)
    out += " " + std::to_string(v);
  return out;
}

void Entry(SkiffContainer* c, int index, const std::string& args) {
  Log("entry " + std::to_string(index) + args);
  RunHandler("entry " + std::to_string(index), c);
}

void DoubleClick(SkiffContainer* c, int x, int y, int button, uint32_t wparam) {
  Entry(c, 0, Join({x, y, button, wparam}));
}
void Reserved1(SkiffContainer* c) {
  Entry(c, 1, "");
}
void ButtonDown(SkiffContainer* c, int x, int y, int button, uint32_t wparam) {
  Entry(c, 2, Join({x, y, button, wparam}));
}
void ButtonUp(SkiffContainer* c, int x, int y, int button, uint32_t wparam) {
  Entry(c, 3, Join({x, y, button, wparam}));
}
void PointerMove(SkiffContainer* c, int x, int y, uint32_t wparam) {
  Entry(c, 4, Join({x, y, wparam}));
}
void PointerEnter(SkiffContainer* c) {
  Entry(c, 5, "");
}
void PointerLeave(SkiffContainer* c) {
  Entry(c, 6, "");
}
void Wheel(SkiffContainer* c, int x, int y, uint32_t low, int32_t high) {
  Entry(c, 7, Join({x, y, low, high}));
}
void KeyDown(SkiffContainer* c, uint32_t wparam, uint32_t low, uint32_t high) {
  Entry(c, 8, Join({wparam, low, high}));
}
void KeyUp(SkiffContainer* c, uint32_t wparam, uint32_t low, uint32_t high) {
  Entry(c, 9, Join({wparam, low, high}));
}
void Paint(SkiffContainer* c, SkiffCanvas* canvas, int x, int y, int w, int h) {
  Log("entry 10" + Join({x, y, w, h}) + (canvas ? "" : " no-canvas"));
  if (canvas)
    FillRect(canvas, x, y, w, h, c->color);
  RunHandler("entry 10", c);
}
void WidthLimited(SkiffContainer* c, int width, int height) {
  Entry(c, 11, Join({width, height}));
}
void InitialData(SkiffContainer* c, const char* data) {
  Entry(c, 12, std::string(" ") + (data ? data : "(null)"));
}
void Message(SkiffContainer* c, const char* first, const char* second) {
  Entry(c, 13, std::string(" ") + (first ? first : "(null)") + " " + (second ? second : "(null)"));
}

}  // namespace

void FillRect(SkiffCanvas* canvas, int x, int y, int w, int h, uint32_t color) {
  SkiffBitmap* b = canvas->bitmap;
  if (!b || !b->bits)
    return;
  double s = skiffGetPixelScale();
  long long left = static_cast<long long>(x * s), top = static_cast<long long>(y * s);
  long long right = left + static_cast<long long>(w * s);
  long long bottom = top + static_cast<long long>(h * s);
  if (left < 0)
    left = 0;
  if (top < 0)
    top = 0;
  if (right > b->width)
    right = b->width;
  if (bottom > b->height)
    bottom = b->height;
  for (long long row = top; row < bottom; ++row) {
    uint32_t* line = reinterpret_cast<uint32_t*>(b->bits + row * b->pitch);
    for (long long col = left; col < right; ++col)
      line[col] = color;
  }
}

}  // namespace skiff

using skiff::Log;

extern "C" {

SkiffContainer* skiffCreateContainer(SkiffContainerFuncs* table, SkiffEngineCallbacks* callbacks) {
  if (!table || !callbacks)
    return nullptr;
  *table = {skiff::DoubleClick, skiff::Reserved1,    skiff::ButtonDown,   skiff::ButtonUp,
            skiff::PointerMove, skiff::PointerEnter, skiff::PointerLeave, skiff::Wheel,
            skiff::KeyDown,     skiff::KeyUp,        skiff::Paint,        skiff::WidthLimited,
            skiff::InitialData, skiff::Message};
  SkiffContainer* c = new SkiffContainer;
  c->table = table;
  c->callbacks = callbacks;
  Log("container");
  return c;
}

void skiffDestroyContainer(SkiffContainer* container) {
  if (!container)
    return;
  if (container->view)
    container->view->container = nullptr;
  Log("container-destroyed");
  delete container;
}

SkiffView* skiffCreateView(const char* name,
                           const char* second,
                           const char* storage,
                           int reserved,
                           const char* storage2,
                           SkiffHostRecord host,
                           SkiffModuleRecord module) {
  std::string view_name = name ? name : "";
  // Test apps ask for a view the engine refuses by naming it "refuse".
  if (view_name == "refuse") {
    Log("view-refused");
    return nullptr;
  }
  SkiffView* view = new SkiffView;
  view->name = view_name;
  view->host = host;
  view->module = module;
  Log("view " + view_name + " second=" + (second ? second : "") +
      " storage=" + (storage ? storage : "") + " reserved=" + std::to_string(reserved) +
      " storage2=" + (storage2 ? storage2 : "") + " host-calls=" +
      (host.requestHostFuncs ? "1" : "0") + " notify=" + (module.notify ? "1" : "0"));
  return view;
}

void skiffDestroyView(SkiffView* view) {
  if (!view)
    return;
  if (view->container)
    view->container->view = nullptr;
  Log("view-destroyed " + view->name);
  delete view;
}

BOOL skiffBindContainer(SkiffView* view, SkiffContainer* container) {
  if (!view || !container)
    return FALSE;
  view->container = container;
  container->view = view;
  Log("bind " + view->name);
  skiff::RunHandler("view", container);
  return TRUE;
}

SkiffBitmap* skiffBitmapCreateFromData(void* bits, int width, int height, int pitch) {
  if (!bits || width <= 0 || height <= 0 || pitch < width * 4)
    return nullptr;
  SkiffBitmap* bitmap = new SkiffBitmap;
  bitmap->bits = static_cast<uint8_t*>(bits);
  bitmap->width = width;
  bitmap->height = height;
  bitmap->pitch = pitch;
  return bitmap;
}

void skiffBitmapDestroy(SkiffBitmap* bitmap) {
  delete bitmap;
}

SkiffCanvas* skiffCreateContainerCanvasFromBitmap(SkiffBitmap* bitmap) {
  if (!bitmap)
    return nullptr;
  SkiffCanvas* canvas = new SkiffCanvas;
  canvas->bitmap = bitmap;
  return canvas;
}

void skiffCanvasClear(SkiffCanvas* canvas, int x, int y, int width, int height) {
  if (canvas)
    skiff::FillRect(canvas, x, y, width, height, 0);
}

void skiffCanvasDestroy(SkiffCanvas* canvas) {
  delete canvas;
}

}  // extern "C"
