#pragma once

#include <string>

namespace busdesk::sim {

// Small PNG pictures the server serves (company logo, bulletin illustrations, the culture page),
// drawn at start-up so no binary files need shipping.
std::string demoPicturePNG(const std::string& name);

}  // namespace busdesk::sim
