#include "ui/RemoteImageLoader.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/Log.h"
#include "platform/Paths.h"

namespace busdesk {

namespace {
std::uint64_t fnv1a(const std::string& s) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::size_t costOf(const Image& i) {
    return i.rgba.size() + 64;
}

// What each view is waiting for, so a late image never lands on a view that moved on.
std::map<const View*, std::string>& wanted() {
    static std::map<const View*, std::string> m;
    return m;
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
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(fnv1a(url)));
    return cacheDirectory() + "/" + name;
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

void RemoteImageLoader::loadImage(const std::string& url, Done done) {
    if (url.empty()) {
        if (done) done(nullptr);
        return;
    }
    if (auto hit = cachedImage(url)) {
        if (done) done(hit);
        return;
    }
    bool disk = !cacheDirectory().empty();
    if (disk) {
        std::ifstream in(diskPathFor(url), std::ios::binary);
        if (in) {
            std::stringstream bytes;
            bytes << in.rdbuf();
            if (auto image = Image::decode(bytes.str())) {
                auto shared = std::make_shared<const Image>(std::move(*image));
                remember(url, shared);
                if (done) done(shared);
                return;
            }
        }
    }
    auto& queue = waiting_[url];
    queue.push_back(std::move(done));
    if (queue.size() > 1) return;  // a fetch is already under way
    auto finish = [this, url, disk](std::optional<std::string> bytes) {
        std::shared_ptr<const Image> result;
        if (bytes) {
            if (auto image = Image::decode(*bytes)) {
                result = std::make_shared<const Image>(std::move(*image));
                remember(url, result);
                if (disk && Paths::ensureDirectory(cacheDirectory())) {
                    // Written whole to a temporary name first, so a crash never leaves half a picture.
                    std::string path = diskPathFor(url), tmp = path + ".part";
                    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
                    out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
                    out.close();
                    if (out && std::rename(tmp.c_str(), path.c_str()) == 0) {
                    } else {
                        std::remove(tmp.c_str());
                    }
                }
            } else {
                Log::line("image not decodable: " + url);
            }
        }
        auto callbacks = std::move(waiting_[url]);
        waiting_.erase(url);
        for (auto& cb : callbacks)
            if (cb) cb(result);
    };
    if (!fetch_) {
        finish(std::nullopt);
        return;
    }
    ++fetches_;
    fetch_(url, finish);
}

namespace {
template <class Apply>
void load(View& view, const std::string& url, Apply apply) {
    wanted()[&view] = url;
    std::weak_ptr<View> weak = view.weak_from_this();
    const View* key = &view;
    RemoteImageLoader::shared().loadImage(url, [weak, key, url, apply](std::shared_ptr<const Image> image) {
        auto v = weak.lock();
        auto it = wanted().find(key);
        if (!v) {
            if (it != wanted().end() && weak.expired()) wanted().erase(it);
            return;
        }
        if (it == wanted().end() || it->second != url) return;
        wanted().erase(it);
        if (image) apply(*v, image);
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
