// Arbitrary bytes as the settings file at start. Whatever stands in the file's place, the store
// opens without waiting on it, keeps working, and what it writes reads back the same -- unless
// the user made the file read-only or a folder stands there, which are left exactly as they are.
//
// The first byte may put something other than a plain file in the file's place (selectors 1..7
// below: a named pipe, a link to /dev/zero, a folder, a link to a file holding the rest, a
// read-only file holding the rest, a link to a file not made yet, the rest repeated past the size
// limit); any other first byte makes the whole input the content of a regular file.
#include <sys/stat.h>
#include <unistd.h>

#include <boost/json.hpp>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "fuzz/FuzzFolder.h"
#include "platform/Log.h"
#include "platform/Preferences.h"

namespace {

namespace fs = std::filesystem;

enum class Kind { Regular, Pipe, DevZero, Folder, LinkToFile, ReadOnly, Dangling, Oversize };

using busdesk::fuzz::writeFile;

// Puts the selected thing at `file`; returns what it is.
Kind make(const fs::path& dir, const fs::path& file, std::string_view input) {
    const auto selector = input.empty() ? 0 : static_cast<unsigned char>(input.front());
    const std::string_view rest = input.empty() ? input : input.substr(1);
    switch (selector) {
        case 1:
            ::mkfifo(file.c_str(), 0600);
            return Kind::Pipe;
        case 2:
            fs::create_symlink("/dev/zero", file);
            return Kind::DevZero;
        case 3:
            fs::create_directories(file / "inside");
            return Kind::Folder;
        case 4:
            fs::create_directories(dir / "elsewhere");
            writeFile(dir / "elsewhere" / "mine.json", rest);
            fs::create_symlink("elsewhere/mine.json", file);
            return Kind::LinkToFile;
        case 5:
            writeFile(file, rest);
            ::chmod(file.c_str(), 0400);
            return Kind::ReadOnly;
        case 6:
            fs::create_directories(dir / "elsewhere");
            fs::create_symlink("elsewhere/missing.json", file);
            return Kind::Dangling;
        case 7: {
            std::string big;
            const std::string unit = rest.empty() ? std::string(" ") : std::string(rest);
            while (big.size() <= busdesk::Preferences::kMaxFileBytes) big += unit;
            writeFile(file, big);
            return Kind::Oversize;
        }
        default:
            writeFile(file, input);
            return Kind::Regular;
    }
}

std::string contentsOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace busdesk;
    static const bool quiet = [] {
        Log::setSink([](const std::string&) {});  // the damaged-file notices would flood the run
        return true;
    }();
    (void)quiet;
    const fs::path dir = fuzz::freshFolder("settings");
    const fs::path file = dir / "settings.json";
    const Kind kind = make(dir, file, std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string readOnlyBefore = kind == Kind::ReadOnly ? contentsOf(file) : std::string();

    const std::string written = "fuzz.written";
    const boost::json::value text = boost::json::string("\xE5\x80\xA4\x01\"\\");
    boost::json::object before;
    std::string removed = "absent";
    bool saved = false;
    {
        Preferences store(file.string(), Preferences::Leftovers::Clear);
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
        saved = store.setObject(written, text);
        store.removeObject(removed);
        // Nothing in the file's place could be settings of ours: set aside, and a regular file
        // written. A link to a file is followed and stays a link unless its target was damaged.
        switch (kind) {
            case Kind::Regular:
            case Kind::Pipe:
            case Kind::DevZero:
            case Kind::Oversize:
                if (!saved) __builtin_trap();
                break;
            case Kind::Dangling:
                // The file the link leads to is made; the link stays.
                if (!saved || !fs::is_symlink(file) ||
                    !fs::is_regular_file(dir / "elsewhere" / "missing.json"))
                    __builtin_trap();
                break;
            case Kind::LinkToFile:
                if (!saved || (fs::is_symlink(file) == fs::exists(dir / "settings.json.corrupt-1")))
                    __builtin_trap();
                break;
            case Kind::Folder:
                if (saved || !fs::is_directory(file / "inside")) __builtin_trap();
                break;
            case Kind::ReadOnly:
                // Unless it was damaged and moved aside, it is never written over.
                if (fs::exists(file) && fs::status(file).permissions() == fs::perms::owner_read &&
                    (saved || contentsOf(file) != readOnlyBefore))
                    __builtin_trap();
                break;
        }
    }
    if (saved) {
        Preferences again(file.string(), Preferences::Leftovers::Clear);
        auto value = again.objectForKey(written);
        if (!value || *value != text) __builtin_trap();
        if (again.objectForKey(removed)) __builtin_trap();
        for (const auto& [key, v] : before) {
            if (key == removed || key == written) continue;
            auto read = again.objectForKey(std::string(key));
            if (!read || *read != v) __builtin_trap();
        }
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
