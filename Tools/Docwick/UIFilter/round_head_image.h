// The round head image of an account row: the picture scaled into a 20 x 20 circle (in layout
// units) with transparent corners.
#pragma once

#include <string>

#include "lattice.h"

namespace docwick {

// Fails when the picture cannot be loaded or the framework cannot create images.
HRESULT CreateRoundHeadImage(const std::wstring& picture_path, ILatticeImage** out);

}  // namespace docwick
