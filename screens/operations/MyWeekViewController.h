#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "model/ArrangeInfoList.h"
#include "platform/LocalDate.h"
#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/TableView.h"
#include "platform/views/ViewController.h"
#include "screens/operations/QArrangeTableViewCell.h"
#include "screens/query/LinesCell.h"
#include "services/RosterCalendar.h"

namespace busdesk {

// A duty of one's own week: the roster's lines without the name.
class MyWeekDutyCell : public RowLinesCell<ArrangeInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "MyWeekDutyCell";
    MyWeekDutyCell() : RowLinesCell(kReuseIdentifier, QArrangeTableViewCell::dutyLines(), false) {}
};

// "我的排班": one's own duties of today and the next six days, one section a day in the device
// zone. Each day is one roster query (at most three out at once); a day shows its duties, "休息"
// when it has none, or "网络异常，下拉重试" when its query failed (what it showed before stays).
// Pull-to-refresh asks again; "导出日历" writes the duties shown as an iCalendar file.
class MyWeekViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    static constexpr int kDays = 7;
    static constexpr int kMaxInFlight = 3;
    static constexpr double kBarHeight = 44;
    static constexpr double kPullDelaySeconds = 2.0;
    static constexpr const char* kTitle = N_("我的排班");
    static constexpr const char* kRestText = N_("休息");
    static constexpr const char* kFailedText = N_("网络异常，下拉重试");
    static constexpr const char* kExportTitle = N_("导出日历");

    struct Day {
        LocalDate day;
        bool answered = false;  // an answer came for this day (its duties are those of the answer)
        bool failed = false;    // the last query of this day failed
        std::vector<std::shared_ptr<ArrangeInfo>> duties;
    };

    // "12月9日 星期三", with "今天 " or "明天 " before it for those days.
    static std::string heading(const LocalDate& day, const LocalDate& today);
    // The rows of `list` whose Empid is `empID`.
    static std::vector<std::shared_ptr<ArrangeInfo>> ownDuties(const ArrangeInfoList* list,
                                                               const std::string& empID);
    // "N 条排班时间无法识别，未导出".
    static std::string skippedText(int skipped);

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    // Asks for every day of the week from today again (nothing when a round is still out).
    void reload();
    // The bar button: where to save, then the file.
    void exportCalendar();

    const std::vector<Day>& days() const { return days_; }
    int inFlight() const { return inFlight_; }
    // The week as the export writes it: the days answered, with their duties.
    std::vector<RosterDay> rosterWeek() const;

    int numberOfSections(TableView&) override { return static_cast<int>(days_.size()); }
    int numberOfRows(TableView&, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override;
    double heightForRow(TableView&, IndexPath ip) override;
    double heightForHeader(TableView&, int section) override;
    std::shared_ptr<View> viewForHeader(TableView&, int section) override;
    bool shouldHighlightRow(TableView&, IndexPath) override { return false; }

    std::shared_ptr<TableView> weekList;
    std::shared_ptr<Button> exportButton;

  private:
    void sendNext();
    void answered(int round, std::size_t index,
                  std::optional<std::vector<std::shared_ptr<ArrangeInfo>>> duties);
    // The note of a day without duty rows, or "" when it has none to show.
    std::string noteFor(const Day& day) const;
    void exportTo(const std::string& path);

    std::vector<Day> days_;
    std::deque<std::size_t> waiting_;
    int inFlight_ = 0;
    int round_ = 0;
    std::string empID_;
};

}  // namespace busdesk
