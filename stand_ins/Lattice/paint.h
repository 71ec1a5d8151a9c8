// Drawing of the elements that have no window of their own (texts and images in list rows).
#pragma once

#include <windows.h>

namespace lattice {

class ElementCore;

// Paints the windowless children of `parent` (recursively), offset by `origin`.
void PaintElements(HDC dc, ElementCore* parent, POINT origin);

}  // namespace lattice
