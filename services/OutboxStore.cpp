#include "services/OutboxStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <boost/json.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <utility>

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/OwnFiles.h"
#include "platform/Paths.h"
#include "platform/Translation.h"
#include "platform/UUID.h"

namespace busdesk {

namespace fs = std::filesystem;
namespace json = boost::json;

namespace {

constexpr const char* kEntryFile = "entry.json";
constexpr const char* kLockFile = "lock";
constexpr std::string_view kIncomingPrefix = ".incoming-";
constexpr std::string_view kDamagedPrefix = "damaged-";
constexpr int kEntryVersion = 1;
constexpr const char* kUnreadablePhoto = "The photo cannot be read.";

constexpr std::array<std::pair<FeedbackOutcome, std::string_view>, 3> kOutcomeNames{{
    {FeedbackOutcome::Succeeded, "succeeded"},
    {FeedbackOutcome::Refused, "refused"},
    {FeedbackOutcome::Unavailable, "unavailable"},
}};

json::value statusValue(const FeedbackStepStatus& status) {
    if (!status.outcome) return nullptr;
    json::object o;
    for (const auto& [outcome, name] : kOutcomeNames)
        if (outcome == *status.outcome) o["outcome"] = name;
    o["reason"] = status.reason;
    return o;
}

std::optional<FeedbackStepStatus> statusFrom(const json::value* v) {
    if (!v || v->is_null()) return FeedbackStepStatus{};
    const auto* o = v->if_object();
    if (!o) return std::nullopt;
    const auto* outcome = o->if_contains("outcome");
    const auto* reason = o->if_contains("reason");
    if (!outcome || !outcome->is_string() || !reason || !reason->is_string()) return std::nullopt;
    for (const auto& [value, name] : kOutcomeNames)
        if (outcome->get_string() == name)
            return FeedbackStepStatus{value, std::string(reason->get_string())};
    return std::nullopt;
}

std::optional<std::string> stringAt(const json::object& o, const char* key) {
    const auto* v = o.if_contains(key);
    if (!v || !v->is_string()) return std::nullopt;
    return std::string(v->get_string());
}

// A name we wrote ourselves: letters, digits and '-' only, so no path can be smuggled in.
bool plainName(const std::string& name) {
    return !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
    });
}

bool isEntryName(const std::string& name) {
    return plainName(name) && name.size() == 36;
}

// Writes a new file whole and flushes it to the disk; 0 or the errno of the step that failed.
int writeNewFile(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return errno;
    int err = 0;
    for (std::size_t done = 0; err == 0 && done < bytes.size();) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) err = w < 0 ? errno : EIO;
        if (w > 0) done += static_cast<std::size_t>(w);
    }
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}

int syncFolder(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

std::string putError(int err, const std::string& what) {
    if (err == ENOSPC || err == EDQUOT || err == EFBIG)
        return tr("存储空间不足，反馈未保存，请清理磁盘后重试");
    return trFormat("反馈未保存：%1（%2）", {what, std::strerror(err)});
}

std::string hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

}  // namespace

std::string OutboxStore::defaultRoot() {
    return Paths::dataDir() + "/outbox";
}

std::string OutboxStore::userDir(const std::string& empID) const {
    return root_ + "/u" + hex(empID);
}

std::string OutboxStore::encode(const OutboxEntry& entry) {
    const auto& s = entry.state;
    json::object o;
    o["version"] = kEntryVersion;
    o["id"] = entry.id;
    o["created"] = entry.created;
    if (s.empID) o["empID"] = *s.empID;
    o["text"] = s.text;
    o["kind"] = s.kind;
    o["identifier"] = s.identifier;
    o["textStatus"] = statusValue(s.textStatus);
    json::array photos;
    for (const auto& p : s.photos) {
        json::object photo;
        photo["file"] = fs::path(p.file).filename().string();
        photo["fileName"] = p.fileName;
        photo["status"] = statusValue(p.status);
        photos.push_back(std::move(photo));
    }
    o["photos"] = std::move(photos);
    return json::serialize(o);
}

std::optional<OutboxEntry> OutboxStore::decode(const std::string& text, const std::string& dir) {
    boost::system::error_code ec;
    json::value v = json::parse(text, ec);
    const auto* o = ec ? nullptr : v.if_object();
    if (!o) return std::nullopt;
    const auto* version = o->if_contains("version");
    const auto* created = o->if_contains("created");
    auto id = stringAt(*o, "id");
    auto body = stringAt(*o, "text");
    auto kind = stringAt(*o, "kind");
    auto identifier = stringAt(*o, "identifier");
    auto textStatus = statusFrom(o->if_contains("textStatus"));
    const auto* photos = o->if_contains("photos");
    if (!version || !version->is_int64() || version->get_int64() != kEntryVersion || !created ||
        !created->is_int64() || !id || !isEntryName(*id) || !body || !kind || !identifier || !textStatus ||
        !photos || !photos->is_array())
        return std::nullopt;
    OutboxEntry entry;
    entry.id = *id;
    entry.dir = dir;
    entry.created = created->get_int64();
    auto& s = entry.state;
    if (const auto* emp = o->if_contains("empID")) {
        if (!emp->is_string()) return std::nullopt;
        s.empID = std::string(emp->get_string());
    }
    s.text = std::move(*body);
    s.kind = std::move(*kind);
    s.identifier = std::move(*identifier);
    s.textStatus = std::move(*textStatus);
    s.idempotencyKey = entry.id;
    for (const auto& pv : photos->get_array()) {
        const auto* po = pv.if_object();
        if (!po) return std::nullopt;
        auto file = stringAt(*po, "file");
        auto fileName = stringAt(*po, "fileName");
        auto status = statusFrom(po->if_contains("status"));
        // An empty name: a photo that could not be read when it was kept.
        if (!file || (!file->empty() && !plainName(*file)) || !fileName || !status) return std::nullopt;
        FeedbackPhoto photo;
        if (!file->empty()) photo.file = dir + "/" + *file;
        photo.fileName = std::move(*fileName);
        photo.status = std::move(*status);
        s.photos.push_back(std::move(photo));
    }
    return entry;
}

OutboxStore::Put OutboxStore::put(const std::string& empID, FeedbackSubmissionState state,
                                  std::int64_t now) const {
    const std::string user = userDir(empID);
    if (!Paths::ensureDirectory(user)) return {std::nullopt, putError(errno, tr("无法建立待发送文件夹"))};
    OutboxEntry entry;
    entry.id = uuidString();
    entry.dir = user + "/" + entry.id;
    entry.created = now;
    const std::string incoming = user + "/" + std::string(kIncomingPrefix) + entry.id;
    auto fail = [&](int err, const std::string& what) {
        std::error_code ec;
        fs::remove_all(incoming, ec);
        return Put{std::nullopt, putError(err, what)};
    };
    if (::mkdir(incoming.c_str(), 0700) != 0) return fail(errno, tr("无法建立待发送文件夹"));
    for (std::size_t k = 0; k < state.photos.size(); ++k) {
        FeedbackPhoto& photo = state.photos[k];
        std::string bytes = std::move(photo.bytes);
        photo.bytes.clear();
        // A fixed field name: a repeated upload of the photo is then the same upload, byte for byte.
        photo.fileName = hex(entry.id.substr(0, 8)) + "p" + std::to_string(k) + ".png";
        photo.status = {};
        if (!photo.file.empty()) {
            auto read = readOwnFile(photo.file, kMaxPhotoBytes);
            if (!read.ok()) {
                // Only this photo fails; the rest of the submission is kept and goes.
                Log::line("outbox: photo " + photo.file + " " + read.problem(kMaxPhotoBytes));
                photo.file.clear();
                photo.status = {FeedbackOutcome::Refused, kUnreadablePhoto};
                continue;
            }
            bytes = std::move(read.bytes);
        }
        const std::string name = "photo-" + std::to_string(k);
        if (int err = writeNewFile(incoming + "/" + name, bytes)) return fail(err, tr("无法保存照片"));
        photo.file = entry.dir + "/" + name;
    }
    state.idempotencyKey = entry.id;
    if (auto author = state.empID; !author) state.empID = empID;
    entry.state = std::move(state);
    if (int err = writeNewFile(incoming + "/" + kEntryFile, encode(entry)))
        return fail(err, tr("无法保存反馈"));
    if (int err = syncFolder(incoming)) return fail(err, tr("无法保存反馈"));
    if (::rename(incoming.c_str(), entry.dir.c_str()) != 0) return fail(errno, tr("无法保存反馈"));
    // Renamed: the entry exists now. Flushing the folder makes the rename itself survive a power cut.
    syncFolder(user);
    return {std::move(entry), {}};
}

bool OutboxStore::record(const OutboxEntry& entry) const {
    int err = atomic_file::replace(entry.dir + "/" + kEntryFile, encode(entry));
    if (err != 0) Log::line("outbox: cannot record " + entry.id + ": " + std::strerror(err));
    return err == 0;
}

std::optional<OutboxEntry> OutboxStore::reload(const OutboxEntry& entry) {
    auto read = readOwnFile(entry.dir + "/" + kEntryFile, kMaxEntryBytes, Links::Refuse);
    if (!read.ok()) return std::nullopt;
    auto fresh = decode(read.bytes, entry.dir);
    if (!fresh || fresh->id != entry.id) return std::nullopt;
    return fresh;
}

bool OutboxStore::remove(const OutboxEntry& entry) const {
    // Renamed out of the list first, so a kill half-way leaves no entry that looks sendable.
    const std::string parent = atomic_file::parentOf(entry.dir);
    const std::string gone = parent + "/" + std::string(kIncomingPrefix) + entry.id;
    std::error_code ec;
    if (::rename(entry.dir.c_str(), gone.c_str()) != 0) return false;
    syncFolder(parent);
    fs::remove_all(gone, ec);
    return !ec;
}

OutboxStore::Listing OutboxStore::list(const std::string& empID, bool clearLeftovers) const {
    Listing out;
    const std::string user = userDir(empID);
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(user, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        const std::string dir = user + "/" + name;
        if (name.rfind(kIncomingPrefix, 0) == 0) {
            if (clearLeftovers) fs::remove_all(dir, ec);
            continue;
        }
        if (!isEntryName(name)) continue;
        auto read = readOwnFile(dir + "/" + kEntryFile, kMaxEntryBytes, Links::Refuse);
        std::optional<OutboxEntry> entry;
        if (read.ok()) entry = decode(read.bytes, dir);
        if (entry && entry->id == name) {
            out.entries.push_back(std::move(*entry));
            continue;
        }
        // A missing entry file can also be a folder still being renamed away by another copy.
        if (read.status == FileContents::Status::Missing && !clearLeftovers) continue;
        const std::string aside = user + "/" + std::string(kDamagedPrefix) + name;
        const std::string why = read.ok() ? "does not read as an outbox entry" : read.problem(kMaxEntryBytes);
        if (::rename(dir.c_str(), aside.c_str()) == 0) {
            Log::line("outbox: entry " + name + " " + why + "; set aside as " + aside);
            out.damaged.push_back(aside);
        }
    }
    std::stable_sort(out.entries.begin(), out.entries.end(),
                     [](const OutboxEntry& a, const OutboxEntry& b) { return a.created < b.created; });
    return out;
}

OutboxStore::Lock& OutboxStore::Lock::operator=(Lock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

OutboxStore::Lock::~Lock() {
    if (fd_ >= 0) ::close(fd_);
}

OutboxStore::Lock OutboxStore::tryLock(const OutboxEntry& entry) {
    int fd = ::open((entry.dir + "/" + kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return {};
    }
    return Lock(fd);
}

}  // namespace busdesk
