#include "screens/core/ProfileViewController.h"

#include <algorithm>
#include <cmath>

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "platform/Translation.h"
#include "platform/views/Palette.h"
#include "services/LoginResultService.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

std::string ProfileViewController::sexText(const std::optional<std::string>& sex) {
    return LoginResultService::integerValue(sex) == 1 ? tr("男") : tr("女");
}

std::vector<std::vector<std::string>> ProfileViewController::labels() {
    return {{tr("工号"), tr("姓名"), tr("岗位"), tr("性别"), tr("出生日期"), tr("身份证号"), tr("电话")},
            {tr("文化程度"), tr("政治面貌"), tr("住址"), tr("加入公司时间")},
            {tr("组织"), tr("工龄")}};
}

std::vector<std::vector<std::string>> ProfileViewController::values(
    const LoginResult* r, const std::optional<std::string>& cardID) {
    auto f = [r](std::optional<std::string> LoginResult::*field) {
        return r ? displayText(r->*field) : std::string();
    };
    return {{displayText(cardID), f(&LoginResult::Name), f(&LoginResult::EmpRoleName),
             sexText(r ? r->sex : std::nullopt), f(&LoginResult::birthday), f(&LoginResult::IDcard),
             f(&LoginResult::telephone)},
            {f(&LoginResult::graduate), f(&LoginResult::politic), f(&LoginResult::address),
             f(&LoginResult::startTime)},
            {f(&LoginResult::OrgName), f(&LoginResult::serviceAge)}};
}

void ProfileViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr("个人信息"));
    auto record = Session::shared().loginResult();
    dataArr = labels();
    infoArr = values(record.get(), Session::shared().cardID());

    aTableView = std::make_shared<TableView>(view()->bounds(), TableViewStyle::Grouped);
    aTableView->setIdentifier("aTableView");
    aTableView->setAllowsSelection(false);
    aTableView->setDataSource(self<ProfileViewController>());
    aTableView->setDelegate(self<ProfileViewController>());
    view()->addSubview(aTableView);
}

void ProfileViewController::viewDidLayoutSubviews() {
    if (aTableView) aTableView->setFrame(view()->bounds());
}

int ProfileViewController::numberOfSections(TableView&) {
    return static_cast<int>(dataArr.size());
}

int ProfileViewController::numberOfRows(TableView&, int section) {
    return section < 0 || static_cast<std::size_t>(section) >= dataArr.size()
               ? 0
               : static_cast<int>(dataArr[static_cast<std::size_t>(section)].size());
}

std::shared_ptr<TableViewCell> ProfileViewController::cellForRow(TableView& tv, IndexPath ip) {
    auto cell = tv.dequeueReusableCell("profile");
    if (!cell) {
        cell = std::make_shared<TableViewCell>(CellStyle::Value1, "profile");
        cell->setSelectionStyle(CellSelectionStyle::None);
        // The label first: screen order (and the row's text) is label, then value.
        cell->textLabel().setTextColor(Color::of(ColorRole::Text));
        cell->detailTextLabel().setTextAlignment(TextAlignment::Right);
        cell->detailTextLabel().setTextColor(Color::of(ColorRole::SecondaryText));
        cell->detailTextLabel().setNumberOfLines(0);
    }
    auto s = static_cast<std::size_t>(ip.section), r = static_cast<std::size_t>(ip.row);
    cell->textLabel().setText(dataArr.at(s).at(r));
    cell->detailTextLabel().setText(infoArr.at(s).at(r));
    return cell;
}

double ProfileViewController::heightForRow(TableView& tv, IndexPath ip) {
    constexpr double kRowHeight = 44, kPadding = 12;
    auto s = static_cast<std::size_t>(ip.section), r = static_cast<std::size_t>(ip.row);
    if (s >= infoArr.size() || r >= infoArr[s].size()) return kRowHeight;
    // The value's half of the row, as the cell lays it out.
    Label probe;
    probe.setText(infoArr[s][r]);
    probe.setNumberOfLines(0);
    double width = std::max(40.0, (tv.bounds().width - 30) / 2);
    // The window's Chinese face sets its lines up to a quarter further apart than the estimate.
    double text = probe.sizeThatFits({width, 0}).height * 1.25;
    return std::max(kRowHeight, std::ceil(text + 2 * kPadding));
}

double ProfileViewController::heightForHeader(TableView&, int) {
    return 12;
}

std::shared_ptr<View> ProfileViewController::viewForHeader(TableView&, int) {
    auto strip = std::make_shared<View>();
    strip->setBackgroundColor(Color::of(ColorRole::SecondaryBackground));
    return strip;
}

}  // namespace busdesk
