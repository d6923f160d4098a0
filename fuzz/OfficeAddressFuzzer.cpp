// Arbitrary bytes as a busdesk.conf. Whatever the file holds, the address in use is one that
// passes the address check, and setting the user's address rewrites the file so that it reads
// back with that address and every other usable line as it was.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/OfficeAddress.h"
#include "fuzz/FuzzFolder.h"
#include "platform/ConfigFile.h"

namespace {

// The usable lines of a file, keys other than `except`.
std::vector<std::pair<std::string, std::string>> others(const busdesk::ConfigFile::Content& content,
                                                        const std::string& except) {
    std::vector<std::pair<std::string, std::string>> kept;
    for (const auto& e : content.entries)
        if (e.key != except) kept.emplace_back(e.key, e.value);
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace busdesk;
    const std::string file = (fuzz::freshFolder("conf") / "busdesk.conf").string();
    fuzz::writeFile(file, std::string_view(reinterpret_cast<const char*>(data), size));

    OfficeAddress::Sources sources;
    sources.userFile = file;
    auto resolved = OfficeAddress::resolve(sources);
    for (const auto& url : {resolved.office, resolved.culture}) {
        auto again = OfficeAddress::check(url);
        if (!again.url || *again.url != url) __builtin_trap();
    }

    const auto before = ConfigFile::read(file);
    const std::string value = "http://fuzz.example:8088/";
    if (!ConfigFile::setValue(file, "server", value)) {
        // Only a file that could not be read is left alone.
        if (before.problems.empty() || before.problems.front().find(": not read (") == std::string::npos)
            __builtin_trap();
        return 0;
    }
    const auto after = ConfigFile::read(file);
    std::size_t servers = 0;
    for (const auto& e : after.entries)
        if (e.key == "server" && (++servers > 1 || e.value != value)) __builtin_trap();
    if (servers != 1 || others(after, "server") != others(before, "server")) __builtin_trap();
    return 0;
}
