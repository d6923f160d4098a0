#include "ui/RemoteImageLoader.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/DispatchQueue.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RunLoop.h"

namespace busdesk {

namespace fs = std::filesystem;

namespace {
std::uint64_t fnv1a(const std::string& s) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::string fileNameFor(const std::string& url) {
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(fnv1a(url)));
    return name;
}

std::size_t costOf(const Image& i) {
    return i.rgba.size() + 64;
}

constexpr std::string_view kPartSuffix = ".part";

bool isPart(const fs::path& p) {
    const std::string name = p.filename().string();
    return name.size() > kPartSuffix.size() &&
           name.compare(name.size() - kPartSuffix.size(), kPartSuffix.size(), kPartSuffix) == 0;
}

bool olderThan(fs::file_time_type time, std::chrono::seconds age) {
    return fs::file_time_type::clock::now() - time > age;
}

// Processing queue. A cached picture, unless it is past the age limit or does not decode (then
// the file goes); a hit counts as a use for the eviction order.
std::optional<Image> readCached(const std::string& path, std::chrono::seconds maxAge) {
    std::error_code ec;
    auto written = fs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    if (olderThan(written, maxAge)) {
        fs::remove(path, ec);
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream bytes;
    bytes << in.rdbuf();
    auto image = Image::decode(bytes.str());
    if (!image) {
        fs::remove(path, ec);
        return std::nullopt;
    }
    fs::last_write_time(path, fs::file_time_type::clock::now(), ec);
    return image;
}

// Processing queue. Written whole to a temporary name first, so a crash never leaves half a picture.
void writeCached(const std::string& dir, const std::string& path, const std::string& bytes) {
    if (!Paths::ensureDirectory(dir)) return;
    const std::string tmp = path + std::string(kPartSuffix);
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    // The user's alone, whatever the umask: pictures of bulletins and feedback are company data.
    std::error_code ec;
    fs::permissions(tmp, fs::perms::owner_read | fs::perms::owner_write, ec);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out || std::rename(tmp.c_str(), path.c_str()) != 0) std::remove(tmp.c_str());
}

// Processing queue. Removes what is past the age limit, then the least recently used pictures
// until the folder is within the byte limit.
void trimDiskCache(const std::string& dir, std::size_t maxBytes, std::chrono::seconds maxAge) {
    struct Entry {
        fs::file_time_type time;
        std::uintmax_t size;
        fs::path path;
    };
    std::vector<Entry> entries;
    std::uintmax_t total = 0;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code entryError;
        if (!it->is_regular_file(entryError)) continue;
        auto time = it->last_write_time(entryError);
        if (entryError) continue;
        if (olderThan(time, maxAge)) {
            fs::remove(it->path(), entryError);
            continue;
        }
        if (isPart(it->path())) continue;  // another writer's picture in the making
        auto size = it->file_size(entryError);
        if (entryError) continue;
        entries.push_back({time, size, it->path()});
        total += size;
    }
    if (total <= maxBytes) return;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.time != b.time ? a.time < b.time : a.path < b.path;
    });
    for (const auto& e : entries) {
        if (total <= maxBytes) break;
        std::error_code removeError;
        if (fs::remove(e.path, removeError)) total -= e.size;
    }
}

// What each view is waiting for, so a late image never lands on a view that moved on. Keyed by
// the view's ownership (the weak pointer keeps its control block, so no later view can share the
// key) and a ticket that is never handed out twice.
using WantedMap = std::map<std::weak_ptr<View>, std::uint64_t, std::owner_less<std::weak_ptr<View>>>;
WantedMap& wanted() {
    static WantedMap m;
    return m;
}
std::uint64_t nextTicket() {
    static std::uint64_t last = 0;
    return ++last;
}
}  // namespace

RemoteImageLoader& RemoteImageLoader::shared() {
    static RemoteImageLoader loader;
    return loader;
}

std::string RemoteImageLoader::cacheDirectory() const {
    if (cacheDir_) return *cacheDir_;
    return Paths::cacheDir() + "/images";
}

std::string RemoteImageLoader::diskPathFor(const std::string& url) const {
    return cacheDirectory() + "/" + fileNameFor(url);
}

std::shared_ptr<const Image> RemoteImageLoader::cachedImage(const std::string& url) {
    auto it = index_.find(url);
    if (it == index_.end()) return nullptr;
    lru_.splice(lru_.begin(), lru_, it->second);
    return it->second->second;
}

void RemoteImageLoader::clearMemoryCache() {
    lru_.clear();
    index_.clear();
    memoryUsed_ = 0;
}

void RemoteImageLoader::remember(const std::string& url, std::shared_ptr<const Image> image) {
    if (auto it = index_.find(url); it != index_.end()) {
        memoryUsed_ -= costOf(*it->second->second);
        lru_.erase(it->second);
        index_.erase(it);
    }
    memoryUsed_ += costOf(*image);
    lru_.emplace_front(url, std::move(image));
    index_[url] = lru_.begin();
    while (memoryUsed_ > memoryLimit_ && lru_.size() > 1) {
        auto& last = lru_.back();
        memoryUsed_ -= costOf(*last.second);
        index_.erase(last.first);
        lru_.pop_back();
    }
}

void RemoteImageLoader::deliver(const std::string& url, const std::shared_ptr<const Image>& image) {
    auto it = waiting_.find(url);
    if (it == waiting_.end()) return;
    auto callbacks = std::move(it->second);
    waiting_.erase(it);
    for (auto& cb : callbacks)
        if (cb) cb(image);
}

void RemoteImageLoader::loadImage(const std::string& url, Done done) {
    if (url.empty()) {
        if (done) done(nullptr);
        return;
    }
    if (auto hit = cachedImage(url)) {
        if (done) done(hit);
        return;
    }
    auto& queue = waiting_[url];
    queue.push_back(std::move(done));
    if (queue.size() > 1) return;  // a disk read or fetch is already under way
    const std::string dir = cacheDirectory();
    if (dir.empty()) {
        startFetch(url, dir);
        return;
    }
    // Each job is counted as work, so a run until idle waits for the picture as for a request.
    RunLoop::main().beginWork();
    DispatchQueue::processing().async([this, url, dir, age = diskAgeLimit_] {
        std::shared_ptr<const Image> image;
        if (auto decoded = readCached(dir + "/" + fileNameFor(url), age))
            image = std::make_shared<const Image>(std::move(*decoded));
        dispatchMain([this, url, dir, image] {
            if (image) {
                remember(url, image);
                deliver(url, image);
            } else {
                startFetch(url, dir);
            }
            RunLoop::main().endWork();
        });
    });
}

void RemoteImageLoader::startFetch(const std::string& url, const std::string& dir) {
    if (!fetch_) {
        deliver(url, nullptr);
        return;
    }
    ++fetches_;
    fetch_(url, [this, url, dir, bytesLimit = diskByteLimit_,
                 age = diskAgeLimit_](std::optional<std::string> bytes) {
        if (!bytes) {
            deliver(url, nullptr);
            return;
        }
        RunLoop::main().beginWork();
        DispatchQueue::processing().async([this, url, dir, bytesLimit, age, bytes = std::move(*bytes)] {
            std::shared_ptr<const Image> image;
            if (auto decoded = Image::decode(bytes)) {
                image = std::make_shared<const Image>(std::move(*decoded));
                if (!dir.empty()) {
                    writeCached(dir, dir + "/" + fileNameFor(url), bytes);
                    trimDiskCache(dir, bytesLimit, age);
                }
            } else {
                Log::line("image not decodable: " + url);
            }
            dispatchMain([this, url, image] {
                if (image) remember(url, image);
                deliver(url, image);
                RunLoop::main().endWork();
            });
        });
    });
}

namespace {
template <class Apply>
void load(View& view, const std::string& url, Apply apply) {
    std::weak_ptr<View> weak = view.weak_from_this();
    // A view nobody shares could be gone by the time the answer comes: nothing is delivered to it.
    if (weak.expired()) return;
    const std::uint64_t ticket = nextTicket();
    wanted()[weak] = ticket;
    RemoteImageLoader::shared().loadImage(url, [weak, ticket, apply](std::shared_ptr<const Image> image) {
        auto it = wanted().find(weak);
        if (it == wanted().end() || it->second != ticket) return;  // asked for something else since
        wanted().erase(it);
        auto v = weak.lock();
        if (v && image) apply(*v, image);
    });
}
}  // namespace

void setImageWithURL(ImageView& view, const std::string& url, std::shared_ptr<const Image> placeholder) {
    view.setImage(std::move(placeholder));
    view.setImageSource({});
    load(view, url, [url](View& v, std::shared_ptr<const Image> image) {
        auto& iv = static_cast<ImageView&>(v);
        iv.setImage(std::move(image));
        iv.setImageSource(url);
    });
}

void setImageWithURL(ImageView& view, const std::string& url) {
    setImageWithURL(view, url, std::shared_ptr<const Image>());
}

void setImageWithURL(ImageView& view, const std::string& url, const std::string& placeholderImageName) {
    view.setImageName(placeholderImageName);
    setImageWithURL(view, url, std::shared_ptr<const Image>());
}

void setBackgroundImageWithURL(Button& button, const std::string& url, ControlState state,
                               const std::string& placeholderImageName) {
    button.setBackgroundImage(nullptr, state);
    button.setBackgroundImageName(placeholderImageName, state);
    load(button, url, [state](View& v, std::shared_ptr<const Image> image) {
        static_cast<Button&>(v).setBackgroundImage(std::move(image), state);
    });
}

}  // namespace busdesk
