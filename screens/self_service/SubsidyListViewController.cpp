#include "screens/self_service/SubsidyListViewController.h"

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/Translation.h"
#include "platform/views/Palette.h"
#include "screens/query/DateRangeInput.h"
#include "ui/DatePickerSheet.h"

namespace busdesk {

namespace {
constexpr double kHeaderHeight = 150;

std::vector<const char*> headings(int kind) {
    switch (kind) {
        case 0:
            return {tr("充值时间/地点"), tr("充值(元)"), tr("余额(元)")};
        case 1:
            return {tr("消费时间/地点"), tr("充值(元)"), tr("余额(元)")};
        default:
            return {tr("时间/地点"), tr("补贴余额(元)")};
    }
}

std::shared_ptr<Label> headerLabel(View& parent, const std::string& text, Rect frame, double size = 14) {
    auto l = std::make_shared<Label>(frame, text);
    l->setFontSize(size);
    l->setTextColor(Color::of(ColorRole::Text));
    parent.addSubview(l);
    return l;
}
}  // namespace

SubsidyListViewController::SubsidyListViewController(std::string title, int kind) : tag(kind) {
    setTitle(std::move(title));
}

void SubsidyListViewController::viewDidLoad() {
    ResultListViewController::viewDidLoad();
    firstDisplay = true;
}

void SubsidyListViewController::viewDidCurrentView() {
    if (!firstDisplay) return;
    firstDisplay = false;
    request();
}

void SubsidyListViewController::configureList(TableView& list) {
    double w = view()->bounds().width;
    auto header = std::make_shared<View>(Rect{0, 0, w, kHeaderHeight});
    headerLabel(*header, tr("起始时间："), {12, 8, 90, 34});
    headerLabel(*header, tr("结束时间："), {12, 46, 90, 34});
    auto dateButton = [&](const char* id, const std::string& text, double y,
                          void (SubsidyListViewController::*m)()) {
        auto b = std::make_shared<Button>(Rect{104, y, w - 124, 34}, text);
        b->setIdentifier(id);
        b->setTitleColor(Color::of(ColorRole::Accent));
        b->addAction(action(m));
        header->addSubview(b);
        return b;
    };
    btnStartTime = dateButton("btnStartTime", query_dates::firstOfMonth(), 8,
                              &SubsidyListViewController::chooseStartTime);
    btnEndTime =
        dateButton("btnEndTime", query_dates::today(), 46, &SubsidyListViewController::chooseEndTime);
    auto hint = headerLabel(*header, tr(kHint), {12, 84, w - 24, 24}, 12);
    hint->setTextColor(Color::of(ColorRole::Warning));
    auto cols = headings(tag);
    double x = 0;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        double cw = cols.size() == 2 ? w / 2 : (i == 0 ? w / 2 : w / 4);
        auto l = headerLabel(*header, cols[i], {x + (i == 0 ? 10 : 0), 114, cw - (i == 0 ? 10 : 0), 32});
        l->setIdentifier("columnTitle");
        if (i > 0) l->setTextAlignment(TextAlignment::Center);
        l->setBackgroundColor(Color::of(ColorRole::AccentSoft));
        x += cw;
    }
    list.setTableHeaderView(header);
}

SubsidyListViewController::Query SubsidyListViewController::query() const {
    // The kinds as the column headings read them: 0 recharges, 1 purchases, any other subsidies.
    MealCardRecords records = tag == 0   ? MealCardRecords::Recharges
                              : tag == 1 ? MealCardRecords::Purchases
                                         : MealCardRecords::Subsidies;
    return OfficeQueries::mealCard(records, btnStartTime->currentTitle(), btnEndTime->currentTitle());
}

std::size_t SubsidyListViewController::keep(std::shared_ptr<WireModel> model, int) {
    auto list = std::dynamic_pointer_cast<SubsidyRechargeList>(model);
    // An empty answer empties the list: rows of another range must not stand under these dates.
    received = list && list->listArr.count() > 0 ? std::move(list) : nullptr;
    return rowCount();
}

void SubsidyListViewController::chooseStartTime() {
    Date at = PublicMethod::getDateFromString(btnStartTime->currentTitle(), query_dates::kDay)
                  .value_or(Date::now());
    DatePickerSheet::showPickerWithTitle(
        tr(DateRangeInput::kStartTitle), DatePickerMode::Date, at, weak_from_this(),
        whileAlive<SubsidyListViewController>([](SubsidyListViewController& self, Date picked, View*) {
            self.btnStartTime->setTitle(PublicMethod::getDateString(picked, query_dates::kDay));
            self.rangeChanged();
        }),
        btnStartTime);
}

void SubsidyListViewController::chooseEndTime() {
    Date at =
        PublicMethod::getDateFromString(btnEndTime->currentTitle(), query_dates::kDay).value_or(Date::now());
    DatePickerSheet::showPickerWithTitle(
        tr(DateRangeInput::kEndTitle), DatePickerMode::Date, at, weak_from_this(),
        whileAlive<SubsidyListViewController>([](SubsidyListViewController& self, Date picked, View*) {
            self.btnEndTime->setTitle(PublicMethod::getDateString(picked, query_dates::kDay));
            self.rangeChanged();
        }),
        btnEndTime);
}

void SubsidyListViewController::rangeChanged() {
    // Either end of the range is checked the same way and the rows follow the dates shown.
    if (!queryRangeAllowed(btnStartTime->currentTitle(), btnEndTime->currentTitle())) {
        showToast(tr(kTooLongText));
        return;
    }
    request();
}

}  // namespace busdesk
