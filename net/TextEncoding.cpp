#include "net/TextEncoding.h"

#include "net/QueryStringPair.h"
#include "platform/Charset.h"

namespace busdesk {

std::optional<std::string> decodeText(std::string_view bytes, std::string_view encoding) {
    if (isUTF8EncodingName(encoding)) {
        if (!Charset::isValidUTF8(bytes)) return std::nullopt;
        return std::string(bytes);
    }
    return Charset::decodeToUTF8(bytes, encoding);
}

bool isKnownEncoding(std::string_view encoding) {
    return isUTF8EncodingName(encoding) || Charset::isKnown(encoding);
}

}  // namespace busdesk
