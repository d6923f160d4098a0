// Arbitrary bytes as the settings file at start. Whatever the file holds, the store opens,
// keeps working, and what it writes reads back the same.
#include <unistd.h>

#include <boost/json.hpp>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Log.h"
#include "platform/Preferences.h"

namespace {

namespace fs = std::filesystem;

fs::path folder() {
    static const fs::path dir = [] {
        auto d = fs::temp_directory_path() / ("busdesk-fuzz-settings-" + std::to_string(::getpid()));
        busdesk::Log::setSink([](const std::string&) {});  // the damaged-file notices would flood the run
        return d;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace busdesk;
    const fs::path dir = folder();
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    const fs::path file = dir / "settings.json";
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::string written = "fuzz.written";
    const boost::json::value text = boost::json::string("\xE5\x80\xA4\x01\"\\");
    boost::json::object before;
    std::string removed = "absent";
    {
        Preferences store(file.string());
        before = store.snapshot();
        for (const auto& [key, value] : before) {
            auto read = store.objectForKey(std::string(key));
            if (!read || *read != value) __builtin_trap();
        }
        for (const auto& [key, value] : before) {
            if (key != written) {
                removed = std::string(key);
                break;
            }
        }
        store.setObject(written, text);
        store.removeObject(removed);
    }
    {
        Preferences again(file.string());
        auto value = again.objectForKey(written);
        if (!value || *value != text) __builtin_trap();
        if (again.objectForKey(removed)) __builtin_trap();
        for (const auto& [key, v] : before) {
            if (key == removed || key == written) continue;
            auto read = again.objectForKey(std::string(key));
            if (!read || *read != v) __builtin_trap();
        }
    }
    fs::remove_all(dir, ec);
    return 0;
}
