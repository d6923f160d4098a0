#pragma once

#include <boost/json.hpp>
#include <string>
#include <vector>

#include "server/OfficeDatabase.h"

namespace busdesk::sim {

// What staff send in: suggestions (tables `suggestions`, `submission_keys`) and the photos uploaded
// for them (`suggestion_images`, `upload_keys`, and the photo files in the data folder).
//
// A sender may name a submission or an upload with a key (the Idempotency-Key header): the first
// request under a key is stored and remembered with the key; a later one under the same key with the
// same content stores nothing and answers as the first did; under the same key with other content it
// is a conflict. Each key is checked and stored under the database's lock, in one transaction with
// what it names, so two requests racing with one key store one thing.
class FeedbackStore {
  public:
    // dataDir: the folder the photo files are written to.
    FeedbackStore(const OfficeDatabase& db, std::string dataDir);

    struct Submission {
        std::string empid, content, parentID, type, when;
    };
    struct Submitted {
        long long id = 0;  // 0: refused or not stored
        bool conflict = false;
    };
    // acceptable: false when the submission is refused (unknown employee, no text); a refused one is
    // never stored and its key not kept, but a known key still answers as it did the first time.
    Submitted submit(const Submission& s, bool acceptable, const std::string& key) const;

    struct Photo {
        std::string name;          // the form field's name: the sender's file name, kept as data only
        const std::string* bytes;  // the photo itself
    };
    enum class Upload { Stored, Repeated, Conflict, Refused };
    // Every photo of one upload is written and recorded, or none (Refused: unknown suggestion, no
    // photo, or a write that failed).
    Upload upload(long long suggestionID, const std::vector<Photo>& photos, const std::string& key) const;

    // The employee's suggestions as Query_FeedBackInfoNP answers them, newest first; base
    // ("http://host:port/") makes the picture addresses absolute.
    boost::json::array suggestions(const std::string& empid, const std::string& base) const;

  private:
    const OfficeDatabase& db_;
    std::string dataDir_;
};

}  // namespace busdesk::sim
