// Layout nodes from the program module's RCDATA resources: "xtml:<resource>|<node>".
#pragma once

namespace tinyxml2 {
class XMLElement;
}

namespace lattice {

// The named top-level node of the layout, or null when the resource, the document or the node
// is missing. Parsed documents stay cached for the life of the module.
const tinyxml2::XMLElement* FindXtmlNode(const wchar_t* xtml);
void ClearXtmlCache();

}  // namespace lattice
