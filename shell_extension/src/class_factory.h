// The shared class factory and the object map (one class).
#pragma once

#include <windows.h>

// The DllGetClassObject lookup: creates the class's factory once under the module's critical
// section and keeps it; CLASS_E_CLASSNOTAVAILABLE for an unknown class id.
HRESULT GetClassObjectFromMap(REFCLSID rclsid, REFIID riid, void** ppv);

// Registry resource of each class in the map, for the registration code.
struct ObjectMapEntry {
  const CLSID* pclsid;
  UINT nRegistryResource;
};
const ObjectMapEntry* ObjectMapBegin();
const ObjectMapEntry* ObjectMapEnd();

// Drops the module's own reference on cached factories (process detach).
void ReleaseCachedFactories();
