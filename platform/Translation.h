#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The texts a user reads are written in Chinese in the code and looked up, at the moment they are
// shown, in the message catalogue of the chosen language (a GNU .mo file, po/<lang>.po compiled by
// the build). Chinese ("zh_CN") is the language of the code itself: it needs no catalogue, and a
// message a catalogue lacks is shown as written.
//
//   tr("查询")                    the text in the chosen language
//   N_("查询")                    only marks a text kept in a table or a constant, so it is
//                                 extracted; the code calls tr() on it where it is shown
//   trFormat("共 %1 条", {n})     a whole sentence with places %1 … %9 for what is put into it; a
//                                 translation may put them in another order
// Texts whose places a formatter of their own fills (printf's %d and %.2f, the rows' %@) are
// translated with tr() before they are formatted; a translation keeps their places in order.

#define N_(text) text

namespace busdesk {

// Never null; stays valid for the life of the process (catalogues are never unloaded).
const char* tr(const char* source);
std::string tr(const std::string& source);
std::string trFormat(const char* source, std::initializer_list<std::string_view> values);

namespace translation {

inline constexpr const char* kSourceLanguage = "zh_CN";

// The language code a locale or language name stands for among the ones BusDesk speaks ("zh_CN"
// for any Chinese, "C" and "POSIX"; "en" for any English), or nothing for another language.
std::optional<std::string> spokenLanguage(std::string_view name);

// The language of this run, the first that names one: the command line's --lang, the setting of
// the settings screen ("" = follow the system), then LANGUAGE (a colon-separated list, the first
// spoken one), LC_ALL, LC_MESSAGES and LANG (the first one set decides; one BusDesk does not speak
// means Chinese). `environment` reads a variable (nullptr when unset).
std::string chooseLanguage(const std::optional<std::string>& commandLine, std::string_view setting,
                           const std::function<const char*(const char*)>& environment);

// Makes `language` the one tr() answers in, reading its catalogue from the first folder of
// localeFolders() that holds <folder>/<language>/LC_MESSAGES/busdesk.mo. Dates and numbers follow
// it too (ICU's default locale), unless the environment's locale already speaks that language.
// False (and Chinese) when the catalogue cannot be read.
bool useLanguage(const std::string& language);

// Reads a catalogue from a file and makes it the current one (tests, and useLanguage).
bool useCatalogue(const std::string& language, const std::string& moFile);

std::string currentLanguage();

// Where catalogues are looked for: beside the program's build tree (<exe>/../locale), the
// installed share/locale (<exe>/../share/locale), and the install prefix's locale folder.
std::vector<std::string> localeFolders();

}  // namespace translation

}  // namespace busdesk
