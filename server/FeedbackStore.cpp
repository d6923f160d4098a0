#include "server/FeedbackStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "server/RowMapping.h"
#include "server/SqlStatement.h"

namespace busdesk::sim {
namespace json = boost::json;
namespace fs = std::filesystem;
namespace {

using Stmt = SqlStatement;

// The stored name is the server's own: the record, a free number and the kind of picture. The
// sender's field name never reaches the file system, and photos of one record uploaded at the same
// time never overwrite each other. The bytes are on disk (fsynced) before the name is returned.
std::optional<std::string> writePhoto(const fs::path& dir, long long id, const std::string& bytes) {
    std::string ext = bytes.rfind("\xFF\xD8", 0) == 0  ? ".jpg"
                      : bytes.rfind("\x89PNG", 0) == 0 ? ".png"
                                                       : ".bin";
    for (int n = 1; n < 10000; ++n) {
        std::string name = std::to_string(id) + "p" + std::to_string(n) + ext;
        int fd = ::open((dir / name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return std::nullopt;
        }
        bool ok = true;
        for (size_t done = 0; ok && done < bytes.size();) {
            ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (w < 0 && errno == EINTR) continue;
            ok = w > 0;
            if (ok) done += static_cast<size_t>(w);
        }
        ok = ::fsync(fd) == 0 && ok;
        ok = ::close(fd) == 0 && ok;
        if (!ok) {
            std::error_code ec;
            fs::remove(dir / name, ec);
            return std::nullopt;
        }
        return name;
    }
    return std::nullopt;
}

// What an upload holds, to tell a repeat from other content under the same key.
std::string digestOf(const std::vector<FeedbackStore::Photo>& photos) {
    std::uint64_t h = 14695981039346656037ull;
    auto add = [&](const std::string& s) {
        for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
        for (unsigned char c : std::to_string(s.size()) + '\0') h = (h ^ c) * 1099511628211ull;
    };
    for (auto& p : photos) {
        add(p.name);
        add(*p.bytes);
    }
    char b[24];
    std::snprintf(b, sizeof b, "%016llx", static_cast<unsigned long long>(h));
    return std::to_string(photos.size()) + ":" + b;
}

bool exec(sqlite3* c, const char* sql) {
    return sqlite3_exec(c, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// ?1 the employee, newest first. Imagenames goes between ID and ParentID.
const char* const kSuggestionSql =
    "SELECT ans_content,ans_time,empid,id,parent_id,que_time,content,type FROM suggestions WHERE empid=?1 "
    "ORDER BY id DESC";
constexpr Field kSuggestionHead[] = {{"AnsContent", 0, Cell::Text},
                                     {"AnsTime", 1, Cell::Text},
                                     {"Empid", 2, Cell::Text},
                                     {"ID", 3, Cell::Integer}};
constexpr Field kSuggestionTail[] = {{"ParentID", 4, Cell::Text},
                                     {"QueTime", 5, Cell::Text},
                                     {"Content", 6, Cell::Text},
                                     {"Type", 7, Cell::Text}};
enum SuggestionColumn { kSuggestionID = 3 };

}  // namespace

FeedbackStore::FeedbackStore(const OfficeDatabase& db, std::string dataDir)
    : db_(db), dataDir_(std::move(dataDir)) {}

FeedbackStore::Submitted FeedbackStore::submit(const Submission& s, bool acceptable,
                                               const std::string& key) const {
    return db_.withConnection([&](sqlite3* c) -> Submitted {
        if (!key.empty()) {
            Stmt known(c,
                       "SELECT suggestion_id,empid,content,parent_id,type FROM submission_keys WHERE key=?");
            known.bind(1, key);
            if (known.step()) {
                bool same = known.text(1) == s.empid && known.text(2) == s.content &&
                            known.text(3) == s.parentID && known.text(4) == s.type;
                return same ? Submitted{known.integer(0), false} : Submitted{0, true};
            }
        }
        if (!acceptable || !exec(c, "BEGIN IMMEDIATE")) return {};
        Stmt add(c,
                 "INSERT INTO suggestions(empid,content,parent_id,type,que_time,ans_content,ans_time) "
                 "VALUES(?,?,?,?,?,'','')");
        add.bind(1, s.empid).bind(2, s.content).bind(3, s.parentID).bind(4, s.type).bind(5, s.when);
        bool ok = add.run();
        long long id = sqlite3_last_insert_rowid(c);
        if (ok && !key.empty()) {
            Stmt remember(c,
                          "INSERT INTO submission_keys(key,suggestion_id,empid,content,parent_id,type) "
                          "VALUES(?,?,?,?,?,?)");
            remember.bind(1, key).bind(2, id).bind(3, s.empid).bind(4, s.content).bind(5, s.parentID);
            ok = remember.bind(6, s.type).run();
        }
        if (!ok || !exec(c, "COMMIT")) {
            exec(c, "ROLLBACK");
            return {};
        }
        return {id, false};
    });
}

FeedbackStore::Upload FeedbackStore::upload(long long suggestionID, const std::vector<Photo>& photos,
                                            const std::string& key) const {
    const std::string digest = key.empty() ? std::string() : digestOf(photos);
    return db_.withConnection([&](sqlite3* c) {
        if (!key.empty()) {
            Stmt known(c, "SELECT suggestion_id,digest FROM upload_keys WHERE key=?");
            known.bind(1, key);
            if (known.step())
                return known.integer(0) == suggestionID && known.text(1) == digest ? Upload::Repeated
                                                                                   : Upload::Conflict;
        }
        Stmt exists(c, "SELECT 1 FROM suggestions WHERE id=?");
        exists.bind(1, suggestionID);
        if (suggestionID <= 0 || photos.empty() || !exists.step() || !exec(c, "BEGIN IMMEDIATE"))
            return Upload::Refused;
        std::vector<std::string> written;
        bool ok = true;
        Stmt record(c, "INSERT INTO suggestion_images(suggestion_id,file,name,size) VALUES(?,?,?,?)");
        for (const Photo& p : photos) {
            auto file = writePhoto(dataDir_, suggestionID, *p.bytes);
            if (!file) {
                ok = false;
                break;
            }
            written.push_back(*file);
            record.bind(1, suggestionID).bind(2, "uploads/" + *file).bind(3, p.name);
            if (!(ok = record.bind(4, static_cast<long long>(p.bytes->size())).run())) break;
        }
        if (ok && !key.empty()) {
            Stmt remember(c, "INSERT INTO upload_keys(key,suggestion_id,digest) VALUES(?,?,?)");
            ok = remember.bind(1, key).bind(2, suggestionID).bind(3, digest).run();
        }
        if (ok && exec(c, "COMMIT")) return Upload::Stored;
        exec(c, "ROLLBACK");
        for (auto& f : written) {
            std::error_code ec;
            fs::remove(fs::path(dataDir_) / f, ec);
        }
        return Upload::Refused;
    });
}

json::array FeedbackStore::suggestions(const std::string& empid, const std::string& base) const {
    return db_.withConnection([&](sqlite3* c) {
        json::array out;
        Stmt s(c, kSuggestionSql);
        s.bind(1, empid);
        Stmt images(c, "SELECT file FROM suggestion_images WHERE suggestion_id=? ORDER BY rowid");
        while (s.step()) {
            json::object o;
            appendFields(o, s, kSuggestionHead, out.size());
            json::array names;
            images.bind(1, s.integer(kSuggestionID));
            while (images.step()) names.push_back(json::value(base + images.text(0)));
            images.reset();
            o["Imagenames"] = std::move(names);
            appendFields(o, s, kSuggestionTail, out.size());
            out.push_back(std::move(o));
        }
        return out;
    });
}

}  // namespace busdesk::sim
