#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"
#include "services/FeedbackSubmission.h"
#include "ui/PhotoStripView.h"

namespace busdesk {

// The vehicle-condition feedback form ("车况信息反馈"): a kind, the text and photos. Submitting hands
// them to the feedback round (services/FeedbackSubmission): the text is stored, then each photo is
// uploaded on its own against the identifier the text got. The busy overlay stays until every
// upload has answered; the form is cleared only when all of them succeeded. Photos whose upload
// failed stay in the strip, and the next submit uploads only them against the same identifier
// without sending the text again (unless the text was changed, which makes it a new submission).
class BusFeedBackViewController : public ViewController,
                                  public TextViewDelegate,
                                  public PhotoStripViewDelegate {
  public:
    static constexpr const char* kPlaceholder = "请输入您的反馈意见，以提高车辆服务的质量，安全。";
    static constexpr const char* kBlankText = "请填写反馈意见！";
    static constexpr const char* kSucceededText = "提交成功";
    static constexpr const char* kFailedText = "提交失败！";
    static constexpr const char* kPickerTitle = "Select a Block";
    static const std::vector<std::string>& kinds();

    // False when pushed from the home page (back and home buttons instead of the menu buttons).
    bool openedFromMenu = true;

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    void submit();
    void showList();
    void chooseType();

    void textViewDidChange(TextView&) override;
    void photoStripDidPickPhotos(PhotoStripView&) override;

    // A submission or its uploads are still out.
    bool busy() const { return sending_; }

    std::shared_ptr<TextView> txtDesc;
    std::shared_ptr<Label> lblType;
    std::shared_ptr<Label> lblDesc;
    std::shared_ptr<PhotoStripView> photoView;
    std::shared_ptr<Button> btnSubmit;
    std::shared_ptr<Button> btnShowList;
    // The identifier of the stored text while photos of it are still to be uploaded.
    std::string backId;
    // The file names of the last round of uploads, in strip order.
    std::vector<std::string> fileNameArr;

  private:
    void stepAnswered(const FeedbackSubmission::State& round, const FeedbackStep& step);
    void roundFinished(const std::vector<PhotoItem>& items, const FeedbackSubmission::State& round);
    void clearForm();
    void updatePlaceholder();
    void layout();

    bool sending_ = false;
    std::vector<std::shared_ptr<Label>> captions_;
};

}  // namespace busdesk
