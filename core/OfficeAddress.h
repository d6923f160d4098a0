#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace busdesk {

// Where the office address in use came from. Sources are asked in this order; the first that
// gives an address wins.
enum class AddressSource { CommandLine, UserFile, SystemFile, BuiltIn };

struct OfficeAddresses {
    std::string office;  // ends in "/"
    AddressSource officeSource = AddressSource::BuiltIn;
    std::string officeFile;  // the file it was read from, for the two file sources
    // The corporate-culture page's base: the first source that names either address decides it,
    // with its `culture`, else with its `server` (the page lives on the office server).
    std::string culture;
    // One line per line skipped or file not read ("PATH:N: what was wrong; line skipped").
    std::vector<std::string> problems;
};

// The office server's address, set without rebuilding: `--server URL`, then the user's
// busdesk.conf ($XDG_CONFIG_HOME/busdesk, DIR/config with --profile DIR), then the system's
// (busdesk/busdesk.conf in each of $XDG_CONFIG_DIRS, /etc/xdg by default), then the address the
// build put in. A file holds `server=URL` and `culture=URL` lines (ConfigFile); a bad line is
// named with its number and skipped, and the next source is asked.
class OfficeAddress {
  public:
    struct Sources {
        std::optional<std::string> server;   // --server, already checked
        std::optional<std::string> culture;  // --culture, already checked
        std::string userFile;
        std::vector<std::string> systemFiles;
    };

    // The two command-line values with the user's and the system's files of this profile and
    // environment.
    static Sources sourcesFor(std::optional<std::string> server, std::optional<std::string> culture);
    static OfficeAddresses resolve(const Sources& sources);
    // Resolves, hands both addresses to PublicMethod, logs every problem and keeps the result for
    // current(). Call on the main thread.
    static OfficeAddresses apply(Sources sources);
    static OfficeAddresses current();

    // What is wrong with a text given as a base address.
    enum class Problem { None, NotHttp, NoHost, BadHost, BadPort, UserInfo, QueryOrFragment, BadCharacter };
    struct Checked {
        std::optional<std::string> url;  // with a final "/"; nothing when `problem` is set
        Problem problem = Problem::None;
    };
    // An http:// or https:// address with a host, an optional port and an optional path; no query,
    // fragment, white space, control or non-ASCII characters. A user name or password in it is
    // refused unless `allowUserInfo` (the command line keeps nothing; a file must hold no password).
    static Checked check(std::string_view text, bool allowUserInfo = false);
    static std::string describe(Problem problem);         // English, for the log and the files' lines
    static std::string describeChinese(Problem problem);  // for the settings screen

    struct Saved {
        bool ok = false;
        std::string message;  // what the screen says either way
    };
    // The user's own office address from the settings screen: checked, written to the user's file
    // as `server=` (blank text removes that line), then every source applied again. An address
    // that does not pass check() is refused and nothing is written.
    static Saved saveUserServer(std::string_view text);

    // The source in words for the settings screen: "命令行 --server", "个人设置 PATH", ...
    static std::string sourceText(const OfficeAddresses& addresses);

    static std::string builtInOffice();
    static std::string builtInCulture();
};

}  // namespace busdesk
