#include "xtml_source.h"

#include <windows.h>
#include <string.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "tinyxml2.h"

namespace lattice {

namespace {

std::mutex g_lock;
std::map<std::wstring, std::unique_ptr<tinyxml2::XMLDocument>>* g_documents = nullptr;

const tinyxml2::XMLDocument* LoadDocument(const std::wstring& resource) {
  if (!g_documents)
    g_documents = new std::map<std::wstring, std::unique_ptr<tinyxml2::XMLDocument>>();
  auto it = g_documents->find(resource);
  if (it != g_documents->end())
    return it->second.get();
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, resource.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
  const char* data = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
  if (!data)
    return nullptr;
  auto doc = std::make_unique<tinyxml2::XMLDocument>();
  if (doc->Parse(data, SizeofResource(module, info)) != tinyxml2::XML_SUCCESS)
    return nullptr;
  const tinyxml2::XMLDocument* raw = doc.get();
  (*g_documents)[resource] = std::move(doc);
  return raw;
}

}  // namespace

const tinyxml2::XMLElement* FindXtmlNode(const wchar_t* xtml) {
  if (!xtml)
    return nullptr;
  std::wstring name = xtml;
  if (name.compare(0, 5, L"xtml:") == 0)
    name.erase(0, 5);
  size_t bar = name.find(L'|');
  if (bar == std::wstring::npos || bar == 0 || bar + 1 == name.size())
    return nullptr;
  std::wstring node = name.substr(bar + 1);
  int n = WideCharToMultiByte(CP_UTF8, 0, node.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string node_utf8(n > 0 ? n - 1 : 0, '\0');
  if (n > 1)
    WideCharToMultiByte(CP_UTF8, 0, node.c_str(), -1, &node_utf8[0], n, nullptr, nullptr);

  std::lock_guard<std::mutex> hold(g_lock);
  const tinyxml2::XMLDocument* doc = LoadDocument(name.substr(0, bar));
  const tinyxml2::XMLElement* root = doc ? doc->FirstChildElement("xtml") : nullptr;
  for (const tinyxml2::XMLElement* e = root ? root->FirstChildElement() : nullptr; e;
       e = e->NextSiblingElement()) {
    const char* attr = e->Attribute("name");
    if (attr && node_utf8 == attr)
      return e;
  }
  return nullptr;
}

void ClearXtmlCache() {
  std::lock_guard<std::mutex> hold(g_lock);
  delete g_documents;
  g_documents = nullptr;
}

}  // namespace lattice
