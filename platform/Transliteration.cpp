#include "platform/Transliteration.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <memory>
#include <mutex>

namespace busdesk {
namespace {

// Building the compound transliterator parses rule data and costs milliseconds; it is built once.
// ICU does not promise that one Transliterator may be used from several threads at once, so
// calls are serialised.
struct Shared {
    std::mutex mutex;
    std::unique_ptr<icu::Transliterator> transliterator;
    bool tried = false;
};

Shared& shared() {
    static Shared s;
    return s;
}

bool validUTF8(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strFromUTF8(nullptr, 0, &needed, text.data(), static_cast<int32_t>(text.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
}

}  // namespace

std::optional<std::string> transliterateToASCII(std::string_view utf8) {
    if (utf8.size() > (1u << 28) || !validUTF8(utf8)) return std::nullopt;
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    if (!s.tried) {
        s.tried = true;
        UErrorCode status = U_ZERO_ERROR;
        s.transliterator.reset(icu::Transliterator::createInstance(
            icu::UnicodeString::fromUTF8("Any-Latin; Latin-ASCII; [:^ASCII:] Remove"), UTRANS_FORWARD,
            status));
        if (U_FAILURE(status)) s.transliterator.reset();
    }
    if (!s.transliterator) return std::nullopt;
    icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    s.transliterator->transliterate(text);
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace busdesk
