#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace busdesk::test {

// The whole-session sweep, shared by the headless and the window runs: a password worth searching
// for, the session's script, and what breaks the rules afterwards.

// Reserved and non-ASCII characters, so its URL-encoded form differs from its UTF-8 form.
inline constexpr const char* kSweepPassword = "Bus#密码/42&x";
// 10086's identity-card number, as the substitute office server knows it.
inline constexpr const char* kSweepIDcard = "370102198506123456";

// Gives 10086 the sweep password on the substitute office server at `port` (from "123456").
bool giveSweepPassword(int port);

// Signs in as 10086 with "记住密码" ticked (a fresh profile has it unticked), opens every row of
// both menus, sends a feedback; one command a line, no quit.
std::vector<std::string> wholeSessionScript();

// Every file and folder under `profile` whose mode is not 0600 / 0700, and every file holding a
// secret in any form it could be written in (UTF-8; URL-encoded in either case of hex, with and
// without "/" escaped), as "path: what".
std::vector<std::string> secretFindings(const std::filesystem::path& profile,
                                        const std::vector<std::string>& secrets);

}  // namespace busdesk::test
