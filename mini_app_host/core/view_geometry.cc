#include "view_geometry.h"

#include <climits>
#include <cmath>

namespace ternapp {

int ScaleToInt(double value) {
  if (std::isnan(value))
    return 0;
  if (value >= static_cast<double>(INT_MAX))
    return INT_MAX;
  if (value <= static_cast<double>(INT_MIN))
    return INT_MIN;
  return static_cast<int>(value);
}

ClientResize ComputeClientResize(int current_width,
                                 int current_height,
                                 int width,
                                 int height,
                                 int max_width) {
  ClientResize result;
  if (width == current_width && height == current_height)
    return result;
  result.changed = true;
  result.height = height;
  result.width = (max_width > 0 && max_width < width) ? max_width : width;
  return result;
}

EngineResize ComputeEngineResize(int current_width,
                                 int current_height,
                                 int logical_width,
                                 int logical_height,
                                 double scale,
                                 int max_width) {
  EngineResize result;
  int device_width = ScaleToInt(logical_width * scale);
  int device_height = ScaleToInt(logical_height * scale);
  if (device_width == current_width && device_height == current_height)
    return result;
  result.changed = true;
  result.height = device_height;
  result.width = device_width;
  result.logical_height = logical_height;
  if (max_width > 0 && max_width < device_width) {
    result.width = max_width;
    result.limited = true;
    result.limited_logical_width = scale != 0.0 ? ScaleToInt(max_width / scale) : max_width;
  }
  return result;
}

Rect ScaleRect(const Rect& logical, double scale) {
  Rect device;
  device.x = ScaleToInt(logical.x * scale);
  device.y = ScaleToInt(logical.y * scale);
  device.width = ScaleToInt(logical.width * scale);
  device.height = ScaleToInt(logical.height * scale);
  return device;
}

}  // namespace ternapp
