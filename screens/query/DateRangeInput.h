#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Date.h"
#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"

namespace busdesk {

// Today, the first of this month and tomorrow as the query screens write them.
namespace query_dates {
inline constexpr const char* kDay = "yyyy-MM-dd";
inline constexpr const char* kMonth = "yyyy-MM";
inline constexpr const char* kFirstOfMonth = "yyyy-MM-01";
std::string today();
std::string firstOfMonth();
// Now plus 86 400 seconds, formatted.
std::string tomorrow();
}  // namespace query_dates

// The range rule of the date-range queries: from start to end in whole Gregorian years, months
// and days (not a count of days), the range passes when years and months are 0 and days are at
// most 31 -- a signed comparison, so an end date less than a month before the start passes.
// Logs "Difference in date components: %i/%i/%i" (days, months, years). Text that does not read
// as "yyyy-MM-dd" fails the rule.
bool queryRangeAllowed(std::string_view start, std::string_view end);

// The start and end fields of a date-range query screen: "tf_Btime" starts at the first of the
// month, "tf_Etime" at today; tapping a field (or its button "ShowBtime" / "ShowEtime") opens the
// date sheet titled "起始日期" / "结束日期" at the field's date (now when the text is empty or not
// a date); Done writes "yyyy-MM-dd".
class DateRangeInput : public TextFieldDelegate, public std::enable_shared_from_this<DateRangeInput> {
  public:
    static constexpr const char* kStartTitle = N_("起始日期");
    static constexpr const char* kEndTitle = N_("结束日期");
    static constexpr const char* kNoStartText = N_("请输入起始日期！");
    static constexpr const char* kNoEndText = N_("请输入结束日期！");

    // Creates the fields and their buttons inside `parent`.
    static std::shared_ptr<DateRangeInput> addTo(View& parent);

    // Frames of the two fields (their buttons cover them).
    void layout(Rect start, Rect end);

    // The empty-field checks in order; the first failure shows its toast over `view`.
    bool check(View& view) const;

    void ShowBtime();
    void ShowEtime();

    bool textFieldShouldBeginEditing(TextField& field) override;

    std::shared_ptr<TextField> tf_Btime;
    std::shared_ptr<TextField> tf_Etime;
    std::shared_ptr<Button> btnBtime;
    std::shared_ptr<Button> btnEtime;

  private:
    void showPicker(const std::shared_ptr<TextField>& field, const char* title);
};

}  // namespace busdesk
