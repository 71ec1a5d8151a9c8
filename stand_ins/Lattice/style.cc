#include "style.h"

#include <stdlib.h>

#include <map>
#include <mutex>
#include <tuple>

#include "lattice.h"
#include "tinyxml2.h"

namespace lattice {

namespace {

bool ParseColor(const char* text, COLORREF* out) {
  if (!text || text[0] != '#' || strlen(text) != 7)
    return false;
  char* end = nullptr;
  unsigned long rgb = strtoul(text + 1, &end, 16);
  if (*end)
    return false;
  *out = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  return true;
}

struct FontKey {
  std::wstring face;
  int points;
  bool bold;
  int pixels;
  bool operator<(const FontKey& o) const {
    return std::tie(face, points, bold, pixels) < std::tie(o.face, o.points, o.bold, o.pixels);
  }
};

std::mutex g_font_lock;
std::map<FontKey, HFONT>* g_fonts = nullptr;

}  // namespace

std::wstring Utf8Attribute(const tinyxml2::XMLElement* node, const char* name) {
  const char* value = node ? node->Attribute(name) : nullptr;
  if (!value || !*value)
    return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, value, -1, nullptr, 0);
  if (n <= 1)
    return std::wstring();
  std::wstring out(n - 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, value, -1, &out[0], n);
  return out;
}

PosSpec ParsePos(const tinyxml2::XMLElement* node) {
  PosSpec pos;
  const char* text = node->Attribute("pos");
  if (!text)
    return pos;
  for (int i = 0; i < 4; ++i) {
    while (*text == ' ')
      ++text;
    pos.from_far[i] = *text == '~';
    if (pos.from_far[i])
      ++text;
    char* end = nullptr;
    pos.value[i] = static_cast<int>(strtol(text, &end, 10));
    text = end;
    while (*text == ' ' || *text == ',')
      ++text;
  }
  return pos;
}

Style ReadStyle(const tinyxml2::XMLElement* node, const Style& inherited) {
  Style style;
  style.font = inherited.font;
  style.color = inherited.color;
  style.selected = inherited.selected;
  style.hot = inherited.hot;
  std::wstring face = Utf8Attribute(node, "font");
  if (!face.empty())
    style.font.face = face;
  style.font.points = node->IntAttribute("fontsize", style.font.points);
  style.font.bold = node->BoolAttribute("bold", style.font.bold);
  ParseColor(node->Attribute("color"), &style.color);
  style.has_background = ParseColor(node->Attribute("bkcolor"), &style.background);
  ParseColor(node->Attribute("border"), &style.border);
  ParseColor(node->Attribute("selcolor"), &style.selected);
  ParseColor(node->Attribute("hotcolor"), &style.hot);
  const char* valign = node->Attribute("valign");
  style.vcenter = valign && strcmp(valign, "center") == 0;
  return style;
}

RECT ResolvePos(const PosSpec& pos, const RECT& parent) {
  LONG edge[4];
  for (int i = 0; i < 4; ++i) {
    RECT r = {pos.value[i], 0, 0, 0};
    ScaleRECT(&r);
    bool horizontal = i % 2 == 0;
    LONG near_edge = horizontal ? parent.left : parent.top;
    LONG far_edge = horizontal ? parent.right : parent.bottom;
    edge[i] = pos.from_far[i] ? far_edge - r.left : near_edge + r.left;
  }
  RECT out = {edge[0], edge[1], edge[2], edge[3]};
  return out;
}

HFONT GetFont(const FontSpec& spec) {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen)
    ReleaseDC(nullptr, screen);
  FontKey key = {spec.face, spec.points, spec.bold, -MulDiv(spec.points, dpi, 72)};
  std::lock_guard<std::mutex> hold(g_font_lock);
  if (!g_fonts)
    g_fonts = new std::map<FontKey, HFONT>();
  auto it = g_fonts->find(key);
  if (it != g_fonts->end())
    return it->second;
  HFONT font = CreateFontW(key.pixels, 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                           FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, spec.face.c_str());
  if (font)
    (*g_fonts)[key] = font;
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void DeleteFonts() {
  std::lock_guard<std::mutex> hold(g_font_lock);
  if (!g_fonts)
    return;
  for (auto& entry : *g_fonts)
    DeleteObject(entry.second);
  delete g_fonts;
  g_fonts = nullptr;
}

}  // namespace lattice
