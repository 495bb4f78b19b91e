#pragma once
// Draws the splash animation: a gold padlock with a highlight sweeping across it, on a white background
// that the player keys out.
#include "clip/avi_clip.h"

namespace qb::tools {

AviClip DrawPadlockClip();

} // namespace qb::tools
