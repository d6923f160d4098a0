#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Image.h"
#include "platform/views/Button.h"
#include "platform/views/ImageView.h"

namespace busdesk {

// Images by address, through a memory cache, a disk cache and a pluggable fetch. The fetch is
// installed by the app (it goes through the HTTP client); without one, nothing is downloaded and
// placeholders stay. Calls come and go on the main thread (the fetch must call back there); the
// disk cache is read and written, and pictures decoded, on the processing queue.
//
// The disk cache holds at most diskByteLimit() bytes and no file older than diskAgeLimit(), age
// counted from the last time a picture was written or read: past either limit the least recently
// used pictures are removed first.
//
// A picture is decoded for the box of pixels it is shown in (Image::decodeToFill), never at its
// full size unless it is that small: the disk keeps what was downloaded, memory keeps one decoded
// picture per address, large enough for the largest box asked for, within memoryLimit() bytes of
// pixels, least recently used out first.
class RemoteImageLoader {
  public:
    using Fetch =
        std::function<void(const std::string& url, std::function<void(std::optional<std::string> bytes)>)>;
    using Done = std::function<void(std::shared_ptr<const Image>)>;

    // In pixels.
    struct Box {
        int width = 0;
        int height = 0;
    };

    static constexpr std::size_t kDefaultDiskByteLimit = 50u << 20;
    static constexpr std::chrono::hours kDefaultDiskAgeLimit{24 * 30};
    static constexpr std::size_t kDefaultMemoryLimit = 32u << 20;
    // Views measure points; a picture is decoded with two pixels a point, sharp on a dense screen.
    static constexpr double kPixelsPerPoint = 2;
    // For a view that has no size yet: the whole window.
    static constexpr Box kWindowBox{780, 1688};
    // The box a view is shown in, in pixels.
    static Box boxFor(const View& view);

    static RemoteImageLoader& shared();

    void setFetch(Fetch f) { fetch_ = std::move(f); }
    // Default: Paths::cacheDir() + "/images"; empty text turns the disk cache off.
    void setCacheDirectory(std::optional<std::string> dir) { cacheDir_ = std::move(dir); }
    std::string cacheDirectory() const;
    void setMemoryLimit(std::size_t bytes) { memoryLimit_ = bytes; }
    std::size_t memoryLimit() const { return memoryLimit_; }
    // Bytes of decoded pixels held now.
    std::size_t memoryUsed() const { return memoryUsed_; }
    void setDiskLimits(std::size_t bytes, std::chrono::seconds age) {
        diskByteLimit_ = bytes;
        diskAgeLimit_ = age;
    }
    std::size_t diskByteLimit() const { return diskByteLimit_; }
    std::chrono::seconds diskAgeLimit() const { return diskAgeLimit_; }

    // Calls `done` once: at once from memory, else from disk or after the fetch (always later,
    // on the main thread); null when the image could not be had. Requests for the same address
    // share one disk read and one fetch, decoded for the largest of their boxes.
    void loadImage(const std::string& url, Box box, Done done);
    void loadImage(const std::string& url, Done done) { loadImage(url, kWindowBox, std::move(done)); }
    // What memory holds for the address, whatever its size.
    std::shared_ptr<const Image> cachedImage(const std::string& url);
    void clearMemoryCache();
    // The file the address is cached in.
    std::string diskPathFor(const std::string& url) const;
    std::size_t fetchesStarted() const { return fetches_; }

  private:
    struct Entry {
        std::shared_ptr<const Image> image;
        int pictureWidth = 0;  // the picture's own size, before it was shrunk
        int pictureHeight = 0;
        bool covers(Box box) const;
    };
    // A disk read or fetch under way for one address. The box grows as more views ask; the decode
    // reads it when it starts, so the views that asked before all get a picture large enough.
    struct Want {
        std::mutex mutex;
        Box box;
        Box current() {
            std::lock_guard lock(mutex);
            return box;
        }
    };
    struct Waiting {
        std::shared_ptr<Want> want;
        std::vector<std::pair<Box, Done>> callbacks;
    };
    // Processing queue.
    static std::optional<Entry> decodeFor(std::string_view bytes, Want& want);

    void remember(const std::string& url, Entry entry);
    void startFetch(const std::string& url, const std::string& dir);
    void deliver(const std::string& url, std::optional<Entry> entry);
    Fetch fetch_;
    std::optional<std::string> cacheDir_;
    std::size_t memoryLimit_ = kDefaultMemoryLimit;
    std::size_t memoryUsed_ = 0;
    std::size_t diskByteLimit_ = kDefaultDiskByteLimit;
    std::chrono::seconds diskAgeLimit_ = kDefaultDiskAgeLimit;
    std::list<std::pair<std::string, Entry>> lru_;
    std::map<std::string, decltype(lru_)::iterator> index_;
    std::map<std::string, Waiting> waiting_;
    std::size_t fetches_ = 0;
};

// The placeholder shows at once; the loaded image replaces it only if the view still asks for the
// same address (a reused row may have moved on), and only if it could be loaded.
void setImageWithURL(ImageView& view, const std::string& url);
void setImageWithURL(ImageView& view, const std::string& url, const std::string& placeholderImageName);
void setImageWithURL(ImageView& view, const std::string& url, std::shared_ptr<const Image> placeholder);
void setBackgroundImageWithURL(Button& button, const std::string& url, ControlState state,
                               const std::string& placeholderImageName);

}  // namespace busdesk
