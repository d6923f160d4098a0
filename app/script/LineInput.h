#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace busdesk {

// Where the lines of a terminal session come from: a line editor at a terminal, or plain lines
// from a pipe.
class LineInput {
  public:
    virtual ~LineInput() = default;
    // Shows `prompt` and returns the next line without its line break; nothing at the end of
    // input (Ctrl+D, the pipe closed).
    virtual std::optional<std::string> readLine(const std::string& prompt) = 0;
    // A line as it may be kept for recall (a password already masked); a plain input keeps none.
    virtual void remember(const std::string& line) { (void)line; }
};

// Plain lines, as a pipe or a file gives them: the prompt is printed, nothing is edited or kept.
class StreamLineInput : public LineInput {
  public:
    StreamLineInput(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
    std::optional<std::string> readLine(const std::string& prompt) override {
        out_ << prompt << std::flush;
        std::string line;
        if (!std::getline(in_, line)) return std::nullopt;
        return line;
    }

  private:
    std::istream& in_;
    std::ostream& out_;
};

}  // namespace busdesk
