#include "platform/views/DumpWriter.h"

#include "platform/ConsoleText.h"
#include "platform/views/View.h"

namespace busdesk {

// Every line is made safe as a whole, so the parts a view writes outside quotes (addresses,
// bracketed button titles) cannot carry a terminal control sequence or a password either. Each
// quoted text is already bounded; the line's own bound only stops what is written unquoted.
void DumpWriter::line(const std::string& text) {
    lines_.push_back(consoleSafe(text, kMaxLineBytes));
}

void DumpWriter::indented(const std::string& text) {
    lines_.push_back("  " + consoleSafe(text, kMaxLineBytes));
}

std::string DumpWriter::head(const std::string& kind, const View& v) {
    return v.identifier().empty() ? kind : kind + " #" + v.identifier();
}

std::string DumpWriter::quote(const std::string& whole) {
    const std::string text = boundedText(whole);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return escapeControlCharacters(out) + "\"";
}

}  // namespace busdesk
