// The screens say what the user asks for; the services spell it for the office. These tests read
// the sources of screens/ and fail on any screen that writes an office parameter name, builds a
// parameter dictionary, or picks the office call through the tag faces of the services.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/OfficeParameters.h"

namespace busdesk::test {
namespace {

// What a screen must not write: every parameter name as a string literal, the parameter
// dictionary type, and the faces that choose the office method by a tag or a number.
std::vector<std::string> forbiddenSpellings() {
    std::vector<std::string> out;
    for (const char* name : OfficeParameter::kAll) out.push_back("\"" + std::string(name) + "\"");
    for (const char* face :
         {"boost::json", "getSearchWithPara", "getSearchNumWithPara", "getNewsServiceInfoWithPara",
          "getPlansServiceInfoWithPara", "getArrangeWithPara", "getADImageWithPara",
          "getRechargeInfoWithEmpID", "getRidingWithEmpID", "getSuggestsWithEmpID",
          "getEmpolyeMonthWithEmpID", "changePasswordWithUsername"})
        out.emplace_back(face);
    return out;
}

// "file:line: spelling" for every forbidden spelling in `text`.
std::vector<std::string> findings(const std::string& file, const std::string& text) {
    std::vector<std::string> out;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number)
        for (const auto& spelling : forbiddenSpellings())
            if (line.find(spelling) != std::string::npos)
                out.push_back(file + ":" + std::to_string(number) + ": " + spelling);
    return out;
}

TEST(ScreenSourcesTest, TheScanFindsAParameterWrittenByHandAndATagFace) {
    auto found = findings("X.cpp",
                          "void f() {\n"
                          "    boost::json::object params;\n"
                          "    params[\"StartTime\"] = bDate;\n"
                          "    params[\"all\"] = all ? \"1\" : \"0\";\n"
                          "    NormalService::getSearchNumWithPara(params, 4, ok, fail);\n"
                          "}\n");
    EXPECT_EQ(found, (std::vector<std::string>{"X.cpp:2: boost::json", "X.cpp:3: \"StartTime\"",
                                               "X.cpp:4: \"all\"", "X.cpp:5: getSearchNumWithPara"}));
    // A typed query and a model field of the same name are fine.
    EXPECT_TRUE(findings("Y.cpp",
                         "return OfficeQueries::attendance(bDate, eDate);\n"
                         "if (row->Empid == me) keep(row);\n")
                    .empty());
}

TEST(ScreenSourcesTest, NoScreenWritesAnOfficeParameterOrPicksTheOfficeCall) {
    const std::filesystem::path root = std::filesystem::path(BUSDESK_SOURCE_DIR) / "screens";
    ASSERT_TRUE(std::filesystem::is_directory(root)) << root;
    std::vector<std::string> all;
    int scanned = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const auto extension = entry.path().extension();
        if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
        const std::string relative = entry.path().lexically_relative(root).generic_string();
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        auto found = findings(relative, text.str());
        all.insert(all.end(), found.begin(), found.end());
        ++scanned;
    }
    EXPECT_GT(scanned, 100);
    std::string report;
    for (const auto& f : all) report += "\n  " + f;
    EXPECT_TRUE(all.empty()) << "screens/ spells office parameters or picks office calls:" << report;
}

}  // namespace
}  // namespace busdesk::test
