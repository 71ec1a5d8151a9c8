// Size and scale arithmetic of a render view: client-side and engine-side resizes with the
// maximum width, and logical-to-device rectangles at the engine's pixel scale.
#pragma once

namespace ternapp {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct ClientResize {
  bool changed = false;  // false: same size as now, nothing is rebuilt or sent
  int width = 0;
  int height = 0;
};

// Sizes in device pixels; max_width limits the width only when it is positive and smaller.
ClientResize ComputeClientResize(int current_width,
                                 int current_height,
                                 int width,
                                 int height,
                                 int max_width);

struct EngineResize {
  bool changed = false;
  int width = 0;  // device pixels
  int height = 0;
  bool limited = false;  // the maximum width applied: tell the container
  int limited_logical_width = 0;
  int logical_height = 0;
};

// Sizes from the engine in logical units, scaled to device pixels (truncated).
EngineResize ComputeEngineResize(int current_width,
                                 int current_height,
                                 int logical_width,
                                 int logical_height,
                                 double scale,
                                 int max_width);

// Each value multiplied by scale and truncated toward zero.
Rect ScaleRect(const Rect& logical, double scale);

// Truncation that stays defined for scales or sizes beyond the int range.
int ScaleToInt(double value);

}  // namespace ternapp
