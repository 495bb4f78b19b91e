#pragma once
// Pictures whose colour strings are fixed as they stand, and the pictures that reuse another's string.
#include "controls/images/picture_catalogue.h"

namespace qb::images {

// Banner rules: a four-row shade under the page picture and a light line above it.
inline constexpr char kUserControl2Bottom[] = "3,5723991,7828853,8421504,11316139";
inline constexpr char kUserControl2Top[] = "0,13158600";

// Menu strip tab: its two-pixel bottom edge and the corner pieces at either end of it.
inline constexpr char kUserControl4BottomEdge[] = "1,6052956,8421504";
inline constexpr char kUserControl4LeftCorner[] = "1,15523804,15523804,6052956,15523804";
inline constexpr char kUserControl4RightCorner[] = "1,6052956,8421504,6052956,13289672";

// The connection prompt's header band is the toolbar body, stretched over the window's width.
inline constexpr const char* kPromptBand = kUserControl5Body;

} // namespace qb::images
