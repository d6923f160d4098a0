#pragma once

#include <memory>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/ViewController.h"
#include "screens/query/DateRangeInput.h"

namespace busdesk {

// The attendance query: a date range, then the list of records.
class KaoQinViewController : public ViewController {
  public:
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    void Search();

    std::shared_ptr<DateRangeInput> range;
    std::shared_ptr<Button> btnSearch;

  private:
    void layout();
    std::shared_ptr<Label> lblStart_;
    std::shared_ptr<Label> lblEnd_;
};

}  // namespace busdesk
