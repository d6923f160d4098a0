#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/views/TableView.h"
#include "platform/views/ViewController.h"

namespace busdesk {

class LoginResult;

// The signed-in employee's record, read-only, in three sections.
class ProfileViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    // "男" for an integer value of 1, "女" for anything else (other numbers, empty, absent).
    static std::string sexText(const std::optional<std::string>& sex);
    // Labels and values for a record and a card number; a missing field is empty text.
    static std::vector<std::vector<std::string>> labels();
    static std::vector<std::vector<std::string>> values(const LoginResult* record,
                                                        const std::optional<std::string>& cardID);

    int numberOfSections(TableView&) override;
    int numberOfRows(TableView&, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath ip) override;
    double heightForHeader(TableView&, int section) override;
    // A long value (an address) wraps: its row grows to hold every line.
    double heightForRow(TableView&, IndexPath ip) override;
    std::shared_ptr<View> viewForHeader(TableView&, int section) override;
    bool shouldHighlightRow(TableView&, IndexPath) override { return false; }

    std::shared_ptr<TableView> aTableView;
    std::vector<std::vector<std::string>> dataArr;
    std::vector<std::vector<std::string>> infoArr;
};

}  // namespace busdesk
