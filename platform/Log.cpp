#include "platform/Log.h"

#include <cstdio>
#include <mutex>

#include "platform/ConsoleText.h"

namespace busdesk {
namespace {
std::mutex& logMutex() {
    static std::mutex m;
    return m;
}
Log::Sink& sinkRef() {
    static Log::Sink s;
    return s;
}
bool& quietRef() {
    static bool q = false;
    return q;
}
}  // namespace

void Log::line(std::string_view raw) {
    // Whatever layer built the line, and whatever URL or server text it quotes, it is made safe
    // here, once: the sink sees what the console would.
    const std::string text = consoleSafe(raw);
    std::lock_guard lock(logMutex());
    if (sinkRef()) {
        sinkRef()(text);
        return;
    }
    if (quietRef()) return;
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

Log::Sink Log::setSink(Sink sink) {
    std::lock_guard lock(logMutex());
    auto old = std::move(sinkRef());
    sinkRef() = std::move(sink);
    return old;
}

void Log::setQuiet(bool quiet) {
    std::lock_guard lock(logMutex());
    quietRef() = quiet;
}

}  // namespace busdesk
