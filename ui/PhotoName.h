#pragma once

#include <cstddef>
#include <string>

#include "platform/Translation.h"

namespace busdesk::screen {

// What a screen reader calls the picture at `index` (from 0) of a row of pictures: "照片1".
inline std::string photoName(std::size_t index) {
    return trFormat("照片%1", {std::to_string(index + 1)});
}

}  // namespace busdesk::screen
