// Layout attributes shared by every element kind: positions, colours and fonts.
#pragma once

#include <windows.h>

#include <string>

namespace tinyxml2 {
class XMLElement;
}

namespace lattice {

// pos="l,t,r,b": each side counts from the near edge, or from the far edge with "~".
struct PosSpec {
  int value[4] = {0, 0, 0, 0};
  bool from_far[4] = {false, false, true, true};  // no pos: fill the parent
};

struct FontSpec {
  std::wstring face = L"Tahoma";
  int points = 9;
  bool bold = false;
};

struct Style {
  FontSpec font;
  COLORREF color = RGB(0x33, 0x33, 0x33);
  bool has_background = false;
  COLORREF background = RGB(0xFF, 0xFF, 0xFF);
  COLORREF border = CLR_INVALID;
  COLORREF selected = RGB(0xCC, 0xE4, 0xF7);
  COLORREF hot = RGB(0xE5, 0xF1, 0xFB);
  bool vcenter = false;
};

std::wstring Utf8Attribute(const tinyxml2::XMLElement* node, const char* name);
PosSpec ParsePos(const tinyxml2::XMLElement* node);
// Attributes of `node` over the inherited style; colours and backgrounds are not inherited.
Style ReadStyle(const tinyxml2::XMLElement* node, const Style& inherited);

// `pos` inside `parent` (both in pixels), with DPI scaling of the offsets.
RECT ResolvePos(const PosSpec& pos, const RECT& parent);

// Fonts live as long as the module; equal specs share one font.
HFONT GetFont(const FontSpec& spec);
void DeleteFonts();

}  // namespace lattice
