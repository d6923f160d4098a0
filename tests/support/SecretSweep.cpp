#include "tests/support/SecretSweep.h"

#include <sys/stat.h>

#include <cctype>
#include <fstream>
#include <sstream>

#include "tests/support/ScriptedServer.h"

namespace busdesk::test {

namespace fs = std::filesystem;

namespace {

std::string percentEncoded(const std::string& text, bool lowerHex, bool keepSlash) {
    const char* hex = lowerHex ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || (keepSlash && c == '/')) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string modeText(unsigned mode) {
    std::ostringstream out;
    out << std::oct << mode;
    return out.str();
}

}  // namespace

bool giveSweepPassword(int port) {
    httplib::Client office("127.0.0.1", port);
    auto answer =
        office.Get("/OfficeServiceQ/User_ChangePassword/?CardID=10086&OldPassword=123456&NewPassword=" +
                   percentEncoded(kSweepPassword, false, false));
    return answer && answer->status == 200 && answer->body.find("\"IsSuccess\":true") != std::string::npos;
}

std::vector<std::string> wholeSessionScript() {
    std::vector<std::string> lines = {"type #username 10086",
                                      std::string("type #password ") + kSweepPassword,
                                      "tap #cb",
                                      "tap #loginAction",
                                      "wait 4",
                                      "expect 上次刷新时间"};
    for (const char* row :
         {"主页", "企业文化", "公告通知", "规章制度", "配车排班", "实时查询", "运营情况", "完成车次",
          "车辆违规", "车辆保养", "维修查询", "车辆领料", "燃料消耗", "营收情况", "里程情况", "考勤信息"}) {
        lines.push_back("menu left");
        lines.push_back(std::string("tap ") + row);
        lines.push_back("wait 3");
    }
    for (const char* action :
         {"userInfo", "ShowSalary", "ShowLunch", "ShowBusRecord", "ShowSetting", "ShowFeedBack"}) {
        lines.push_back("menu right");
        lines.push_back(std::string("tap #") + action);
        lines.push_back("wait 3");
    }
    lines.push_back("type #txtDesc 12004号车左后视镜松动，请检修。");
    lines.push_back("tap #submit");
    lines.push_back("expect toast: \"提交成功\"");
    return lines;
}

std::vector<std::string> secretFindings(const fs::path& profile, const std::vector<std::string>& secrets) {
    std::vector<std::string> needles;
    for (const auto& secret : secrets) {
        needles.push_back(secret);
        for (bool lowerHex : {false, true})
            for (bool keepSlash : {false, true})
                needles.push_back(percentEncoded(secret, lowerHex, keepSlash));
    }
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(profile, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0) continue;
        auto name = fs::relative(it->path(), profile).string();
        unsigned mode = st.st_mode & 07777;
        if (S_ISDIR(st.st_mode)) {
            if (mode != 0700) found.push_back(name + ": folder mode " + modeText(mode));
            continue;
        }
        if (mode != 0600) found.push_back(name + ": file mode " + modeText(mode));
        std::ifstream in(it->path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        for (const auto& needle : needles)
            if (bytes.str().find(needle) != std::string::npos) found.push_back(name + ": holds " + needle);
    }
    return found;
}

}  // namespace busdesk::test
