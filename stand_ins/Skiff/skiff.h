// Skiff stand-in: a minimal mini-app engine. An app is a small text file named by "--app=<path>"
// on the command line (see script/app_script.h); the engine paints into the host's bitmaps,
// reacts to input, asks the host for host functions and calls them as the app file says.
#pragma once

#include <windows.h>
#include <stdint.h>

#ifdef SKIFF_BUILD
#define SKIFF_API __declspec(dllexport)
#else
#define SKIFF_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SkiffApp SkiffApp;
typedef struct SkiffEngine SkiffEngine;
typedef struct SkiffView SkiffView;
typedef struct SkiffContainer SkiffContainer;
typedef struct SkiffCanvas SkiffCanvas;
typedef struct SkiffBitmap SkiffBitmap;
typedef struct SkiffModule SkiffModule;
typedef struct SkiffModuleRegister SkiffModuleRegister;

// ---- App ----

typedef void (*SkiffAppStartProc)(SkiffApp* app);

typedef struct SkiffApplicationCallback {
  SkiffApp* app;
  void* reserved1;  // zero
  void* reserved2;  // zero
  void (*quit)(SkiffApp* app);
} SkiffApplicationCallback;

// Null when the app file cannot be read; otherwise `on_start` has run before this returns.
SKIFF_API SkiffApp* skiffStartApp(const char* command_line_utf8, SkiffAppStartProc on_start);
SKIFF_API void skiffEndApp(SkiffApp* app);
// The app's name; empty when it has none. Owned by the engine.
SKIFF_API const char* skiffGetSrcAppName(void);
SKIFF_API SkiffEngine* skiffGetScriptEngine(SkiffApp* app);
SKIFF_API BOOL skiffModuleRequireDLL(SkiffEngine* engine, const char* path_utf8);
SKIFF_API void skiffSetApplicationCallback(SkiffApp* app, const SkiffApplicationCallback* record);
SKIFF_API void skiffHTTPSetDownloadDirectory(const char* directory_utf8);
SKIFF_API double skiffGetPixelScale(void);

// ---- Script values exchanged with host functions ----

enum {
  SKIFF_VALUE_BOOL = 2,
  SKIFF_VALUE_INT = 3,
  SKIFF_VALUE_DOUBLE = 4,
  SKIFF_VALUE_STRING = 5,
  SKIFF_VALUE_OBJECT = 6,  // object or function
};

typedef struct SkiffValue {
  int32_t kind;
  int32_t reserved;
  union {
    int32_t boolean;  // the low 16 bits carry the value
    int32_t integer;
    double number;
    void* ref;  // strings and objects: an engine reference
  } u;
} SkiffValue;

// The engine's helpers that travel with host-function calls; 30 entries.
typedef struct SkiffHelpers {
  void (*release)(void* ref);
  const char* (*toText)(const SkiffValue* value);  // UTF-8 of a string value
  BOOL (*isFunction)(const SkiffValue* value);
  char* (*toJson)(const SkiffValue* value);  // null when the value has no JSON form
  void (*freeText)(char* text);
  BOOL (*fromJson)(const char* json, SkiffValue* result);
  BOOL (*makeString)(const char* utf8, SkiffValue* result);
  BOOL (*call)(void* function, const SkiffValue* args, int count);
  void* reserved[22];
} SkiffHelpers;

typedef const char* (*SkiffHostGetName)(void* record);
typedef BOOL (*SkiffHostCallText)(void* record, const char* text);
// Each function among `args` carries one reference for the host, which gives it back with
// helpers->release when it no longer keeps the function.
typedef BOOL (*SkiffHostCallValues)(void* record,
                                    const char* data,
                                    const SkiffValue* args,
                                    int count,
                                    SkiffValue* result,
                                    const SkiffHelpers* helpers);

SKIFF_API BOOL skiffModuleCallbackRegister(SkiffModule* module,
                                           SkiffHostGetName get_name,
                                           SkiffHostCallText call_text,
                                           SkiffHostCallValues call_values,
                                           void* record);
SKIFF_API SkiffModuleRegister* skiffGetModuleRegister(const char* name);
// The module's table of registered host functions, or null when it has none.
SKIFF_API void* skiffModuleGetHostFuncs(SkiffModuleRegister* reg, const char* name);

// ---- Views, containers, canvas ----

typedef struct SkiffContainerFuncs {
  void (*doubleClick)(SkiffContainer* c, int x, int y, int button, uint32_t wparam);  // 0
  void (*reserved1)(SkiffContainer* c);                                               // 1
  void (*buttonDown)(SkiffContainer* c, int x, int y, int button, uint32_t wparam);   // 2
  void (*buttonUp)(SkiffContainer* c, int x, int y, int button, uint32_t wparam);     // 3
  void (*pointerMove)(SkiffContainer* c, int x, int y, uint32_t wparam);              // 4
  void (*pointerEnter)(SkiffContainer* c);                                            // 5
  void (*pointerLeave)(SkiffContainer* c);                                            // 6
  void (*wheel)(SkiffContainer* c, int x, int y, uint32_t low, int32_t high);         // 7
  void (*keyDown)(SkiffContainer* c, uint32_t wparam, uint32_t low, uint32_t high);   // 8
  void (*keyUp)(SkiffContainer* c, uint32_t wparam, uint32_t low, uint32_t high);     // 9
  void (*paint)(SkiffContainer* c, SkiffCanvas* canvas, int x, int y, int w, int h);  // 10
  void (*widthLimited)(SkiffContainer* c, int width, int height);                     // 11
  void (*initialData)(SkiffContainer* c, const char* data);                           // 12
  void (*message)(SkiffContainer* c, const char* first, const char* second);          // 13
} SkiffContainerFuncs;

// Logical units throughout.
typedef struct SkiffEngineCallbacks {
  void* owner;
  void (*onInvalidate)(void* owner, int x, int y, int width, int height);
  void (*onResize)(void* owner, int left, int top, int right, int bottom);
} SkiffEngineCallbacks;

typedef struct SkiffHostRecord {
  void (*requestHostFuncs)(SkiffModule* module, const char* module_name);  // null: no host calls
  void* reserved1;
  void* reserved2;
} SkiffHostRecord;

typedef struct SkiffModuleRecord {
  void (*noop)(void);
  void (*notify)(const char* module_name);
  void* reserved;
} SkiffModuleRecord;

// Fills all 14 entries of `table`; both records must outlive the container.
SKIFF_API SkiffContainer* skiffCreateContainer(SkiffContainerFuncs* table,
                                               SkiffEngineCallbacks* callbacks);
SKIFF_API void skiffDestroyContainer(SkiffContainer* container);
SKIFF_API SkiffView* skiffCreateView(const char* name,
                                     const char* second,
                                     const char* storage,
                                     int reserved,
                                     const char* storage2,
                                     SkiffHostRecord host,
                                     SkiffModuleRecord module);
SKIFF_API void skiffDestroyView(SkiffView* view);
SKIFF_API BOOL skiffBindContainer(SkiffView* view, SkiffContainer* container);

// 32-bit BGRA pixels owned by the caller; the bitmap only points at them.
SKIFF_API SkiffBitmap* skiffBitmapCreateFromData(void* bits, int width, int height, int pitch);
SKIFF_API void skiffBitmapDestroy(SkiffBitmap* bitmap);
SKIFF_API SkiffCanvas* skiffCreateContainerCanvasFromBitmap(SkiffBitmap* bitmap);
SKIFF_API void skiffCanvasClear(SkiffCanvas* canvas, int x, int y, int width, int height);
SKIFF_API void skiffCanvasDestroy(SkiffCanvas* canvas);

#ifdef __cplusplus
}
#if !defined(_WIN64)
static_assert(sizeof(SkiffValue) == 16, "script value: kind, then 8 bytes at offset 8");
static_assert(sizeof(SkiffHelpers) == 120, "helper table of 30 entries");
static_assert(sizeof(SkiffApplicationCallback) == 16, "app callback record");
static_assert(sizeof(SkiffHostRecord) == 12 && sizeof(SkiffModuleRecord) == 12, "view records");
#endif
#endif
