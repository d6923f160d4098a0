#pragma once

#include "platform/views/Geometry.h"

namespace busdesk {

// The app's accent: chosen tabs, days and periods, the main buttons and badges of the screens.
inline constexpr Color kAccentColor{0.16, 0.45, 0.78, 1};

}  // namespace busdesk
