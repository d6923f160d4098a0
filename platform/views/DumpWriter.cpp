#include "platform/views/DumpWriter.h"

#include "platform/views/View.h"

namespace busdesk {

void DumpWriter::line(std::string text) {
    lines_.push_back(std::move(text));
}

void DumpWriter::indented(std::string text) {
    lines_.push_back("  " + text);
}

std::string DumpWriter::head(const std::string& kind, const View& v) {
    return v.identifier().empty() ? kind : kind + " #" + v.identifier();
}

std::string DumpWriter::quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace busdesk
