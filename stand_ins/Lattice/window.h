// Top-level windows built from a <window> layout node.
#pragma once

#include <windows.h>

#include "lattice.h"

namespace tinyxml2 {
class XMLElement;
}

namespace lattice {

// A hidden top-level window without owner, with the node's children built inside.
HRESULT CreateWindowElement(const tinyxml2::XMLElement* node, ILatticeElement** out);

}  // namespace lattice
