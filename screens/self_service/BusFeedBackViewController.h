#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"
#include "services/FeedbackOutbox.h"
#include "ui/PhotoStripView.h"

namespace busdesk {

// The vehicle-condition feedback form ("车况信息反馈"): a kind, the text and photos. Submitting puts
// them into the signed-in user's outbox (services/FeedbackOutbox), which keeps them on disk and
// sends them; the busy overlay shows the upload's progress ("正在上传 k/n") until the first round
// has ended, with one toast for the submission. The form clears once the outbox holds it (sent or
// not); only a submission that could not be kept leaves the form as it was. Below the form: "待发送：N"
// and the user's pending submissions, each with its state, its first line, its photo count, and
// "重新发送" and "删除" (after a confirmation).
class BusFeedBackViewController : public ViewController,
                                  public TextViewDelegate,
                                  public PhotoStripViewDelegate {
  public:
    static constexpr const char* kPlaceholder = N_("请输入您的反馈意见，以提高车辆服务的质量，安全。");
    static constexpr const char* kBlankText = N_("请填写反馈意见！");
    static constexpr const char* kSucceededText = N_("提交成功");
    static constexpr const char* kFailedText = N_("提交失败！");
    static constexpr const char* kKeptText = N_("提交失败！已保存，稍后自动发送");
    static constexpr const char* kDeleteQuestion = N_("删除这条待发送的反馈？");
    // Before the names of kept submissions that no longer read back and were set aside.
    static constexpr const char* kDamagedText = N_("待发送的反馈已损坏，已另存为：");
    static constexpr const char* kPickerTitle = "Select a Block";
    // The kinds as the office knows them (sent in Chinese whatever the language shown).
    static const std::vector<std::string>& kinds();

    // False when pushed from the home page (back and home buttons instead of the menu buttons).
    bool openedFromMenu = true;

    ~BusFeedBackViewController() override;
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    void submit();
    void showList();
    void chooseType();
    // The pending submission `id`: tried again, or deleted once the user confirms.
    void sendAgain(const std::string& id);
    void deletePending(const std::string& id);
    // The words of a pending submission's state: "等待网络", "正在上传 k/n", "发送失败：…".
    static std::string stateWords(const FeedbackOutbox::Item& item);

    void textViewDidChange(TextView&) override;
    void photoStripDidPickPhotos(PhotoStripView&) override;

    // A submission or its uploads are still out.
    bool busy() const { return sending_; }

    std::shared_ptr<TextView> txtDesc;
    std::shared_ptr<Label> lblType;
    // The kind chosen, an index into kinds(); lblType shows it translated.
    std::size_t kind = 0;
    std::shared_ptr<Label> lblDesc;
    std::shared_ptr<PhotoStripView> photoView;
    std::shared_ptr<Button> btnSubmit;
    std::shared_ptr<Button> btnShowList;
    // "待发送：N", hidden while nothing waits; the pending submissions' rows.
    std::shared_ptr<Label> lblPending;
    std::shared_ptr<View> pendingList;

  private:
    void submitted(const FeedbackOutbox::Submitted& outcome);
    void outboxChanged();
    void clearForm();
    void updatePlaceholder();
    void layout();

    bool sending_ = false;
    std::vector<std::shared_ptr<Label>> captions_;
    std::string observerName_;
};

}  // namespace busdesk
