#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandHistory.h"
#include "app/script/LineInput.h"

namespace busdesk {

// Line editing at a terminal (libedit, Emacs keys): arrows move and recall, Ctrl+A/E go to the
// start/end, Ctrl+K cuts to the end, Ctrl+W the word before the cursor, Ctrl+L clears the
// screen, Tab completes, Ctrl+D on an empty line ends the input. Recall holds what remember() was
// given, this run's and earlier runs' (CommandHistory).
class TerminalLineEditor : public LineInput {
  public:
    // Completions of the line up to the cursor (ScriptRunner::completions).
    using Completer = std::function<std::vector<std::string>(const std::string& typed)>;

    // Nothing unless both standard input and output are a terminal: piped input stays plain
    // lines (StreamLineInput).
    static std::unique_ptr<TerminalLineEditor> open(Completer completer, CommandHistory historyFile);
    ~TerminalLineEditor() override;

    std::optional<std::string> readLine(const std::string& prompt) override;
    void remember(const std::string& line) override;

    // What Tab inserts after `typed` given its completions: the rest of the only one (and a
    // space), else the rest of their common beginning; empty when it cannot go further.
    static std::string insertion(const std::string& typed, const std::vector<std::string>& candidates);

    struct Editor;

  private:
    TerminalLineEditor(Completer completer, CommandHistory historyFile);
    std::unique_ptr<Editor> editor_;
};

}  // namespace busdesk
