#pragma once

// A folder of its own for a fuzz target that works on files: one per target and process, emptied
// before each input so nothing one input made is seen by the next.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace busdesk::fuzz {

inline std::filesystem::path freshFolder(const std::string& target) {
    namespace fs = std::filesystem;
    static const fs::path dir =
        fs::temp_directory_path() / ("busdesk-fuzz-" + target + "-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return dir;
}

inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace busdesk::fuzz
