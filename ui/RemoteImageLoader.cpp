#include "ui/RemoteImageLoader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "platform/DispatchQueue.h"
#include "platform/Log.h"
#include "platform/OwnFiles.h"
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

// A picture in the making: atomic_file::replace's temporary beside its target.
bool isPart(const fs::path& p) {
    return p.filename().string().find(atomic_file::kTemporaryMarker) != std::string::npos;
}

bool olderThan(fs::file_time_type time, std::chrono::seconds age) {
    return fs::file_time_type::clock::now() - time > age;
}

// Processing queue. The bytes of a cached picture, unless it is past the age limit or is no
// regular file of at most a picture's size (then it goes); a hit counts as a use for the
// eviction order.
std::optional<std::string> readCached(const std::string& path, std::chrono::seconds maxAge) {
    std::error_code ec;
    auto written = fs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    if (olderThan(written, maxAge)) {
        fs::remove(path, ec);
        return std::nullopt;
    }
    auto file = readOwnFile(path, Image::kMaxEncodedBytes, Links::Refuse);
    if (!file.ok()) {
        if (file.status != FileContents::Status::Missing) fs::remove(path, ec);
        return std::nullopt;
    }
    fs::last_write_time(path, fs::file_time_type::clock::now(), ec);
    return std::move(file.bytes);
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
        if (isPart(it->path())) continue;  // another picture in the making
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

RemoteImageLoader::Box RemoteImageLoader::boxFor(const View& view) {
    const Rect frame = view.frame();
    if (!(frame.width > 0) || !(frame.height > 0)) return kWindowBox;
    auto pixels = [](double points) {
        return static_cast<int>(std::clamp(std::ceil(points * kPixelsPerPoint), 1.0, 16384.0));
    };
    return {pixels(frame.width), pixels(frame.height)};
}

bool RemoteImageLoader::Entry::covers(Box box) const {
    const auto [width, height] = Image::fillSize(pictureWidth, pictureHeight, box.width, box.height);
    return image && image->width >= width && image->height >= height;
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
    return it->second->second.image;
}

void RemoteImageLoader::clearMemoryCache() {
    lru_.clear();
    index_.clear();
    memoryUsed_ = 0;
}

void RemoteImageLoader::remember(const std::string& url, Entry entry) {
    if (auto it = index_.find(url); it != index_.end()) {
        memoryUsed_ -= costOf(*it->second->second.image);
        lru_.erase(it->second);
        index_.erase(it);
    }
    memoryUsed_ += costOf(*entry.image);
    lru_.emplace_front(url, std::move(entry));
    index_[url] = lru_.begin();
    while (memoryUsed_ > memoryLimit_ && lru_.size() > 1) {
        auto& last = lru_.back();
        memoryUsed_ -= costOf(*last.second.image);
        index_.erase(last.first);
        lru_.pop_back();
    }
}

std::optional<RemoteImageLoader::Entry> RemoteImageLoader::decodeFor(std::string_view bytes, Want& want) {
    const auto size = Image::sizeOf(bytes);
    if (!size) return std::nullopt;
    const Box box = want.current();
    auto decoded = Image::decodeToFill(bytes, box.width, box.height);
    if (!decoded) return std::nullopt;
    return Entry{std::make_shared<const Image>(std::move(*decoded)), size->first, size->second};
}

void RemoteImageLoader::deliver(const std::string& url, std::optional<Entry> entry) {
    auto it = waiting_.find(url);
    if (it == waiting_.end()) return;
    auto callbacks = std::move(it->second.callbacks);
    waiting_.erase(it);
    if (entry) remember(url, *entry);
    for (auto& [box, cb] : callbacks) {
        if (!entry || entry->covers(box)) {
            if (cb) cb(entry ? entry->image : nullptr);
        } else {
            // Asked for a larger box after the decode had begun: decoded again for it.
            loadImage(url, box, std::move(cb));
        }
    }
}

void RemoteImageLoader::loadImage(const std::string& url, Box box, Done done) {
    if (url.empty()) {
        if (done) done(nullptr);
        return;
    }
    if (box.width <= 0 || box.height <= 0) box = kWindowBox;
    if (auto it = index_.find(url); it != index_.end() && it->second->second.covers(box)) {
        lru_.splice(lru_.begin(), lru_, it->second);
        if (done) done(it->second->second.image);
        return;
    }
    auto& waiting = waiting_[url];
    waiting.callbacks.emplace_back(box, std::move(done));
    if (waiting.want) {
        // A disk read or fetch is already under way: it decodes for this box too.
        std::lock_guard lock(waiting.want->mutex);
        waiting.want->box.width = std::max(waiting.want->box.width, box.width);
        waiting.want->box.height = std::max(waiting.want->box.height, box.height);
        return;
    }
    waiting.want = std::make_shared<Want>();
    waiting.want->box = box;
    const std::string dir = cacheDirectory();
    if (dir.empty()) {
        startFetch(url, dir);
        return;
    }
    // Each job is counted as work, so a run until idle waits for the picture as for a request.
    RunLoop::main().beginWork();
    DispatchQueue::processing().async([this, url, dir, age = diskAgeLimit_, want = waiting.want] {
        std::optional<Entry> entry;
        const std::string path = dir + "/" + fileNameFor(url);
        if (auto bytes = readCached(path, age)) {
            entry = decodeFor(*bytes, *want);
            std::error_code ec;
            if (!entry) fs::remove(path, ec);
        }
        dispatchMain([this, url, dir, entry = std::move(entry)]() mutable {
            if (entry) {
                deliver(url, std::move(entry));
            } else {
                startFetch(url, dir);
            }
            RunLoop::main().endWork();
        });
    });
}

void RemoteImageLoader::startFetch(const std::string& url, const std::string& dir) {
    if (!fetch_) {
        deliver(url, std::nullopt);
        return;
    }
    auto waiting = waiting_.find(url);
    if (waiting == waiting_.end()) return;
    ++fetches_;
    fetch_(url, [this, url, dir, want = waiting->second.want, bytesLimit = diskByteLimit_,
                 age = diskAgeLimit_](std::optional<std::string> bytes) {
        if (!bytes) {
            deliver(url, std::nullopt);
            return;
        }
        RunLoop::main().beginWork();
        DispatchQueue::processing().async([this, url, dir, want, bytesLimit, age, bytes = std::move(*bytes)] {
            auto entry = decodeFor(bytes, *want);
            if (entry) {
                if (!dir.empty()) {
                    // Written whole under a temporary name first (0600), so a crash never leaves
                    // half a picture.
                    atomic_file::replace(dir + "/" + fileNameFor(url), bytes);
                    trimDiskCache(dir, bytesLimit, age);
                }
            } else {
                Log::line("image not decodable: " + url);
            }
            dispatchMain([this, url, entry = std::move(entry)]() mutable {
                deliver(url, std::move(entry));
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
    RemoteImageLoader::shared().loadImage(url, RemoteImageLoader::boxFor(view),
                                          [weak, ticket, apply](std::shared_ptr<const Image> image) {
                                              auto it = wanted().find(weak);
                                              if (it == wanted().end() || it->second != ticket)
                                                  return;  // asked for something else since
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
