// Lattice.dll: the client's UI framework (stand-in). Windows are built from XTML layouts kept
// as RCDATA resources of the program module; every element of a window is a real child window
// (buttons, static texts, the list view), while the elements inside list rows are drawn by the
// list itself. Objects are COM-style interfaces with reference counts.
//
// XTML: <xtml> holds named top-level nodes; "xtml:<resource>|<node>" names one of them.
//   <window name caption size="w,h" font="Tahoma" fontsize="9" bkcolor="#RRGGBB">
//     <text name text pos font fontsize bold="1" color valign="center"/>
//     <button name text pos default="1"/>
//     <list name pos border="#RRGGBB" selcolor hotcolor/>
//   <row name bkcolor> (a list row frame or content; holds <text> and <image name pos/>)
// pos="l,t,r,b" in layout units (96 DPI pixels); a value "~n" counts n from the far edge.
//
// Tests and other programs drive windows through real window messages:
// - Every named element's window carries the property "LatticeName" (GetPropW) with its name.
// - Buttons are "Button" controls: BM_CLICK clicks them.
// - The list view (class "LatticeListView"): row i covers the client rows
//   [i * h - scroll, (i + 1) * h - scroll) with h = LATTICE_LM_GETROWHEIGHT (in pixels);
//   a left click (WM_LBUTTONDOWN + WM_LBUTTONUP at a point of the row) selects it.
//   LATTICE_LM_GETITEMCOUNT and LATTICE_LM_GETITEMSTATE (wParam = row) read the list back;
//   state bit LATTICE_ITEM_SELECTED (2) means selected. These work across processes.
// - WM_CLOSE or WM_SYSCOMMAND SC_CLOSE on the top-level window closes it like its close button.
#pragma once

#include <windows.h>

#ifdef LATTICE_BUILD
#define LATTICE_API extern "C" __declspec(dllexport)
#else
#define LATTICE_API extern "C" __declspec(dllimport)
#endif

struct R32Canvas;
struct R32Texture;

// Creates the framework's objects; the host supplies it (SetCustomObjectFactory).
struct ILatticeObjectFactory {
  virtual HRESULT STDMETHODCALLTYPE CreateObject(REFCLSID clsid, REFIID iid, void** out) = 0;
};

// {7B1D5A40-3E0C-4C7A-9F43-2D6B8E1A5C01}
const CLSID CLSID_LatticeImage = {0x7b1d5a40,
                                  0x3e0c,
                                  0x4c7a,
                                  {0x9f, 0x43, 0x2d, 0x6b, 0x8e, 0x1a, 0x5c, 0x01}};
// {7B1D5A40-3E0C-4C7A-9F43-2D6B8E1A5C02}
const IID IID_ILatticeImage = {0x7b1d5a40,
                               0x3e0c,
                               0x4c7a,
                               {0x9f, 0x43, 0x2d, 0x6b, 0x8e, 0x1a, 0x5c, 0x02}};
// {7B1D5A40-3E0C-4C7A-9F43-2D6B8E1A5C03}
const IID IID_ILatticeElement = {0x7b1d5a40,
                                 0x3e0c,
                                 0x4c7a,
                                 {0x9f, 0x43, 0x2d, 0x6b, 0x8e, 0x1a, 0x5c, 0x03}};
// {7B1D5A40-3E0C-4C7A-9F43-2D6B8E1A5C04}
const IID IID_ILatticeWindow = {0x7b1d5a40,
                                0x3e0c,
                                0x4c7a,
                                {0x9f, 0x43, 0x2d, 0x6b, 0x8e, 0x1a, 0x5c, 0x04}};
// {7B1D5A40-3E0C-4C7A-9F43-2D6B8E1A5C05}
const IID IID_ILatticeListView = {0x7b1d5a40,
                                  0x3e0c,
                                  0x4c7a,
                                  {0x9f, 0x43, 0x2d, 0x6b, 0x8e, 0x1a, 0x5c, 0x05}};

// Scaling modes of LoadFromFile: as is; stretched to the element; fitted keeping the aspect;
// filling the element keeping the aspect (cropped), sampled smoothly.
enum LatticeScaleMode {
  LATTICE_SCALE_NONE = 0,
  LATTICE_SCALE_STRETCH = 1,
  LATTICE_SCALE_FIT = 2,
  LATTICE_SCALE_FILL = 3,
};

// An image: premultiplied BGRA pixels held as a Raster32 texture.
struct ILatticeImage : public IUnknown {
  // Decodes a PNG, BMP or JPEG file. `scale_mode` says how Draw fits it into a rectangle.
  virtual HRESULT STDMETHODCALLTYPE LoadFromFile(const wchar_t* path, int scale_mode) = 0;
  // Wraps a copy of `texture`; the caller keeps its own.
  virtual HRESULT STDMETHODCALLTYPE SetTexture(R32Texture* texture) = 0;
  // Null while empty; owned by the image.
  virtual R32Texture* STDMETHODCALLTYPE GetTexture() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSize(SIZE* size) = 0;
  // Draws the image into `dest` of a Raster32 canvas following its scaling mode.
  virtual HRESULT STDMETHODCALLTYPE DrawToCanvas(R32Canvas* canvas, const RECT* dest) = 0;
};

enum LatticeEvent {
  LATTICE_EVENT_CLICK = 1,
};

struct ILatticeElement;

// Receives the events of a window's elements (button clicks).
struct ILatticeEventListener {
  virtual HRESULT STDMETHODCALLTYPE OnLatticeEvent(ILatticeElement* sender, int event) = 0;
};

// One element of a layout: a window, a control, a list row or an element inside a row.
struct ILatticeElement : public IUnknown {
  virtual const wchar_t* STDMETHODCALLTYPE GetName() = 0;
  // The element's own window, or null for elements drawn by their list.
  virtual HWND STDMETHODCALLTYPE GetHWND() = 0;
  // The first element named `name` below this one (depth first, document order); not a new
  // reference: it lives as long as this element. Null when there is none.
  virtual ILatticeElement* STDMETHODCALLTYPE FindElement(const wchar_t* name) = 0;
  // Adds the children of layout node `xtml` ("xtml:<resource>|<node>") to this element.
  virtual HRESULT STDMETHODCALLTYPE LoadXtml(const wchar_t* xtml) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetText(const wchar_t* text) = 0;
  // The text; owned by the element, valid until it changes.
  virtual const wchar_t* STDMETHODCALLTYPE GetText() = 0;
  // The image of an image element (null clears it).
  virtual HRESULT STDMETHODCALLTYPE SetImage(ILatticeImage* image) = 0;
  // Null when none; not a new reference.
  virtual ILatticeImage* STDMETHODCALLTYPE GetImage() = 0;
};

// A top-level window.
struct ILatticeWindow : public ILatticeElement {
  virtual HRESULT STDMETHODCALLTYPE SetCaption(const wchar_t* caption) = 0;
  // One listener per window; not owned, it must outlive the window or be reset to null.
  virtual HRESULT STDMETHODCALLTYPE SetEventListener(ILatticeEventListener* listener) = 0;
  // Shows the window and runs a modal message loop until it closes. Returns the code given to
  // Close, or 0 when it was closed otherwise (close button, WM_CLOSE, destroyed).
  virtual int STDMETHODCALLTYPE ShowModal() = 0;
  // Closes (destroys) the window; a running ShowModal returns `code`.
  virtual HRESULT STDMETHODCALLTYPE Close(int code) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClientSize(SIZE* size) = 0;
};

enum LatticeListEvent {
  LATTICE_LIST_FILL_ROW = 8,
  LATTICE_LIST_CREATE_ROW = 16,
};

// List style flags.
#define LATTICE_LS_SINGLE_SELECT 0x00004   // a click selects only the clicked row
#define LATTICE_LS_HOT_TRACK 0x01000       // the row under the mouse is highlighted
#define LATTICE_LS_VSCROLL 0x04000         // a scroll bar when rows overflow
#define LATTICE_LS_KEEP_SELECTION 0x40000  // a click below the last row keeps the selection

#define LATTICE_ITEM_HOT 1
#define LATTICE_ITEM_SELECTED 2

struct ILatticeListView;

// Creates and fills the rows of a list: event LATTICE_LIST_CREATE_ROW once per row after the
// row's frame template was loaded, LATTICE_LIST_FILL_ROW after that and after each Redraw.
struct ILatticeRowProvider {
  virtual HRESULT STDMETHODCALLTYPE OnListEvent(ILatticeListView* list,
                                                int event,
                                                UINT row,
                                                ILatticeElement* row_element) = 0;
};

struct ILatticeListView : public ILatticeElement {
  virtual HRESULT STDMETHODCALLTYPE SetListStyle(DWORD style) = 0;
  // The frame template of every row, its width and height in layout units.
  virtual HRESULT STDMETHODCALLTYPE SetItemTemplate(const wchar_t* xtml, int width, int height) = 0;
  // Not owned; it must outlive the list or be reset to null.
  virtual HRESULT STDMETHODCALLTYPE SetRowProvider(ILatticeRowProvider* provider) = 0;
  // Drops rows beyond `count` and clears every selection.
  virtual HRESULT STDMETHODCALLTYPE SetItemCount(UINT count) = 0;
  virtual UINT STDMETHODCALLTYPE GetItemCount() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetItemState(UINT row, DWORD state, DWORD mask) = 0;
  virtual DWORD STDMETHODCALLTYPE GetItemState(UINT row) = 0;
  // The row's element, created and filled on demand; not a new reference; null outside.
  virtual ILatticeElement* STDMETHODCALLTYPE GetRowElement(UINT row) = 0;
  // Refills every row and repaints.
  virtual HRESULT STDMETHODCALLTYPE Redraw() = 0;
};

// List view messages (see the top of this file).
#define LATTICE_LM_GETITEMCOUNT (WM_APP + 0x310)
#define LATTICE_LM_GETITEMSTATE (WM_APP + 0x311)
#define LATTICE_LM_GETROWHEIGHT (WM_APP + 0x312)

// The host's factory for every framework object; null unsets it. Without one, object
// creation fails with CO_E_NOTINITIALIZED.
LATTICE_API HRESULT SetCustomObjectFactory(ILatticeObjectFactory* factory);
// Creates a framework object through the host's factory.
LATTICE_API HRESULT CreateObject(REFCLSID clsid, REFIID iid, void** out);

// Builds the element of layout node `xtml` ("Docwick\AccountSelectDialog.xml|SelectWnd",
// optionally with the "xtml:" prefix). A window node becomes a hidden top-level window
// (ILatticeWindow) without owner.
LATTICE_API HRESULT RawCreateLatticeElementByXtml(const wchar_t* xtml, ILatticeElement** out);
// The element whose window is `hwnd`, as a new reference; same process only.
LATTICE_API HRESULT LatticeElementFromHWND(HWND hwnd, ILatticeElement** out);

// DPI helpers. Layout units are pixels at 96 DPI; the scale is the screen's DPI / 96.
LATTICE_API float GetDPIScale();
// A Raster32 canvas of w x h layout units (scaled unless scaling is switched off).
LATTICE_API R32Canvas* CreateCanvas(int width, int height);
LATTICE_API void ScaleRECT(RECT* rect);
LATTICE_API void ScaleSIZE(SIZE* size);
LATTICE_API void UnscaleSIZE(SIZE* size);
LATTICE_API LONG UnscaleLONG(LONG value);
// Mouse messages carry pixels: returns lParam with its point converted to layout units.
LATTICE_API LPARAM HandleMessageScale(UINT message, LPARAM lparam);
// True while scaling is switched off on this thread.
LATTICE_API BOOL IsScaleIgnore();
LATTICE_API void PushScaleIgnore();
LATTICE_API void PopScaleIgnore();

namespace lattice {

// Switches DPI scaling off on this thread for its lifetime.
class ScopedScaleIgnore {
 public:
  ScopedScaleIgnore() { PushScaleIgnore(); }
  ~ScopedScaleIgnore() { PopScaleIgnore(); }
  ScopedScaleIgnore(const ScopedScaleIgnore&) = delete;
  ScopedScaleIgnore& operator=(const ScopedScaleIgnore&) = delete;
};

}  // namespace lattice
