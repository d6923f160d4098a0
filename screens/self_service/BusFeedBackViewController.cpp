#include "screens/self_service/BusFeedBackViewController.h"

#include <cstdio>

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "platform/Log.h"
#include "platform/Translation.h"
#include "platform/views/AlertView.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Palette.h"
#include "screens/self_service/DetListViewController.h"
#include "screens/self_service/ShowBigViewController.h"
#include "ui/ProgressHUD.h"
#include "ui/ScreenHelpers.h"
#include "ui/StringPickerSheet.h"

namespace busdesk {

namespace {

// A photo of the strip as the round sends it: its file, read again at upload, or, for a picture
// that has no file, the picture itself encoded without loss.
FeedbackPhoto photoToSend(const PhotoItem& item) {
    FeedbackPhoto photo;
    if (!item.path.empty())
        photo.file = item.path;
    else if (item.image)
        photo.bytes = item.image->pngData();
    return photo;
}

constexpr double kPendingTop = 476;
constexpr double kPendingRowHeight = 64;

// The overlay's words while a submission uploads: photos stored of all, "正在上传 k/n".
std::string progressWords(const FeedbackOutbox::Item& item) {
    return trFormat("正在上传 %1/%2", {std::to_string(item.photosStored), std::to_string(item.photos)});
}

// The set-aside folders by their own names ("damaged-<id>"), without the user's folder before them.
std::string damagedWords(const std::vector<std::string>& damaged) {
    std::string words = tr(BusFeedBackViewController::kDamagedText);
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const auto slash = damaged[i].rfind('/');
        words += (i ? tr("、") : "") + damaged[i].substr(slash == std::string::npos ? 0 : slash + 1);
    }
    return words;
}

}  // namespace

const std::vector<std::string>& BusFeedBackViewController::kinds() {
    static const std::vector<std::string> list = {N_("建议"), N_("表扬"), N_("投诉"), N_("咨询"), N_("其他")};
    return list;
}

void BusFeedBackViewController::viewDidLoad() {
    if (openedFromMenu)
        screen::setNavTitleBar(*this, tr("车况信息反馈"));
    else
        screen::setNavTitleBarWithLeftBTAndTitle(*this, tr("车况信息反馈"));
    auto root = view();
    auto caption = [&](const char* text) {
        auto l = std::make_shared<Label>(Rect{}, text);
        l->setFontSize(15);
        l->setTextColor(Color::of(ColorRole::SecondaryText));
        root->addSubview(l);
        captions_.push_back(l);
    };
    caption(tr("反馈类型："));
    lblType = std::make_shared<Label>(Rect{}, tr(kinds().front()));
    lblType->setIdentifier("lblType");
    lblType->setFontSize(16);
    lblType->setTextColor(Color::of(ColorRole::Accent));
    lblType->addTapHandler(action(&BusFeedBackViewController::chooseType));
    root->addSubview(lblType);
    caption(tr("反馈内容："));
    txtDesc = std::make_shared<TextView>();
    txtDesc->setIdentifier("txtDesc");
    txtDesc->setFontSize(15);
    txtDesc->setBackgroundColor(Color::of(ColorRole::SecondaryBackground));
    txtDesc->setDelegate(self<BusFeedBackViewController>());
    root->addSubview(txtDesc);
    lblDesc = std::make_shared<Label>(Rect{}, tr(kPlaceholder));
    lblDesc->setIdentifier("lblDesc");
    lblDesc->setFontSize(13);
    lblDesc->setNumberOfLines(2);
    lblDesc->setTextColor(Color::of(ColorRole::SecondaryText));
    lblDesc->setUserInteractionEnabled(false);
    root->addSubview(lblDesc);
    caption(tr("照片："));
    photoView = std::make_shared<PhotoStripView>(Rect{});
    photoView->setIdentifier("photoView");
    photoView->setDelegate(self<BusFeedBackViewController>());
    root->addSubview(photoView);
    btnSubmit = std::make_shared<Button>(Rect{}, tr("提交"));
    btnSubmit->setIdentifier("submit");
    btnSubmit->setTitleColor(Color::of(ColorRole::OnAccent));
    btnSubmit->setBackgroundColor(Color::of(ColorRole::Accent));
    btnSubmit->setCornerRadius(6);
    btnSubmit->addAction(action(&BusFeedBackViewController::submit));
    root->addSubview(btnSubmit);
    setMainAction(btnSubmit);
    btnShowList = std::make_shared<Button>(Rect{}, tr("查看反馈意见"));
    btnShowList->setIdentifier("showList");
    btnShowList->setTitleColor(Color::of(ColorRole::Accent));
    btnShowList->addAction(action(&BusFeedBackViewController::showList));
    root->addSubview(btnShowList);
    lblPending = std::make_shared<Label>(Rect{}, "");
    lblPending->setIdentifier("pendingCount");
    lblPending->setFontSize(15);
    lblPending->setTextColor(Color::of(ColorRole::SecondaryText));
    lblPending->setHidden(true);
    root->addSubview(lblPending);
    pendingList = std::make_shared<View>(Rect{});
    pendingList->setIdentifier("pendingList");
    root->addSubview(pendingList);
    // The outbox tells of every change; this screen is one of its observers while it lives.
    char name[32];
    std::snprintf(name, sizeof name, "feedbackForm-%p", static_cast<void*>(this));
    observerName_ = name;
    FeedbackOutbox::shared().setObserver(
        observerName_,
        whileAlive<BusFeedBackViewController>([](BusFeedBackViewController& self) { self.outboxChanged(); }));
    outboxChanged();
    layout();
}

BusFeedBackViewController::~BusFeedBackViewController() {
    if (!observerName_.empty()) FeedbackOutbox::shared().removeObserver(observerName_);
}

void BusFeedBackViewController::viewDidLayoutSubviews() {
    layout();
}

void BusFeedBackViewController::layout() {
    if (!btnShowList) return;
    Rect b = view()->bounds();
    double w = b.width - 32;
    captions_[0]->setFrame({16, 16, 90, 36});
    lblType->setFrame({106, 16, w - 90, 36});
    captions_[1]->setFrame({16, 58, w, 24});
    txtDesc->setFrame({16, 86, w, 150});
    lblDesc->setFrame({22, 90, w - 12, 40});
    captions_[2]->setFrame({16, 246, w, 24});
    photoView->setFrame({16, 272, w, PhotoStripView::kThumbSize + 10});
    btnSubmit->setFrame({16, 372, w, 44});
    btnShowList->setFrame({16, 428, w, 40});
    lblPending->setFrame({16, kPendingTop, w, 24});
    const auto& rows = pendingList->subviews();
    pendingList->setFrame({16, kPendingTop + 28, w, kPendingRowHeight * static_cast<double>(rows.size())});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto& row = rows[i];
        row->setFrame({0, kPendingRowHeight * static_cast<double>(i), w, kPendingRowHeight - 4});
        const auto& parts = row->subviews();  // state, first line, send again, delete
        parts[0]->setFrame({0, 2, w - 150, 20});
        parts[1]->setFrame({0, 24, w - 150, 34});
        parts[2]->setFrame({w - 146, 14, 84, 32});
        parts[3]->setFrame({w - 56, 14, 56, 32});
    }
}

std::string BusFeedBackViewController::stateWords(const FeedbackOutbox::Item& item) {
    switch (item.phase) {
        case FeedbackOutbox::Phase::Sending:
            return progressWords(item);
        case FeedbackOutbox::Phase::Failed:
            return trFormat("发送失败：%1", {item.reason});
        case FeedbackOutbox::Phase::Waiting:
            break;
    }
    return tr("等待网络");
}

void BusFeedBackViewController::outboxChanged() {
    auto items = FeedbackOutbox::shared().items();
    lblPending->setText(trFormat("待发送：%1", {std::to_string(items.size())}));
    lblPending->setHidden(items.empty());
    for (const auto& row : std::vector<std::shared_ptr<View>>(pendingList->subviews()))
        row->removeFromSuperview();
    for (const auto& item : items) {
        auto row = std::make_shared<View>(Rect{});
        row->setIdentifier("pendingRow");
        auto state = std::make_shared<Label>(Rect{}, stateWords(item));
        state->setIdentifier("pendingState");
        state->setFontSize(13);
        state->setTextColor(item.phase == FeedbackOutbox::Phase::Failed
                                ? Color::of(ColorRole::Warning)
                                : Color::of(ColorRole::SecondaryText));
        row->addSubview(state);
        auto line = std::make_shared<Label>(
            Rect{}, trFormat("%1（%2 张照片）", {item.firstLine, std::to_string(item.photos)}));
        line->setIdentifier("pendingText");
        line->setFontSize(14);
        line->setTextColor(Color::of(ColorRole::Text));
        row->addSubview(line);
        auto again = std::make_shared<Button>(Rect{}, tr("重新发送"));
        again->setIdentifier("sendAgain");
        again->setTitleColor(Color::of(ColorRole::Accent));
        again->setEnabled(item.phase == FeedbackOutbox::Phase::Failed);
        again->addAction(whileAlive<BusFeedBackViewController>(
            [id = item.id](BusFeedBackViewController& self, View&) { self.sendAgain(id); }));
        row->addSubview(again);
        auto remove = std::make_shared<Button>(Rect{}, tr("删除"));
        remove->setIdentifier("deletePending");
        remove->setTitleColor(Color::of(ColorRole::Accent));
        remove->setEnabled(item.phase != FeedbackOutbox::Phase::Sending);
        remove->addAction(whileAlive<BusFeedBackViewController>(
            [id = item.id](BusFeedBackViewController& self, View&) { self.deletePending(id); }));
        row->addSubview(remove);
        pendingList->addSubview(row);
        if (sending_ && item.phase == FeedbackOutbox::Phase::Sending)
            if (auto hud = ProgressHUD::HUDForView(*view())) hud->setLabelText(progressWords(item));
    }
    layout();
    // Each set-aside entry is named once, to whoever has the form open first.
    if (auto damaged = FeedbackOutbox::shared().takeDamaged(); !damaged.empty())
        screen::setAlertInfo(damagedWords(damaged), *view());
}

void BusFeedBackViewController::sendAgain(const std::string& id) {
    FeedbackOutbox::shared().sendAgain(id);
}

void BusFeedBackViewController::deletePending(const std::string& id) {
    std::make_shared<AlertView>(tr("温馨提示"), tr(kDeleteQuestion), std::string(tr("取消")),
                                std::vector<std::string>{tr("删除")},
                                [id](AlertView&, int button) {
                                    if (button == 1) FeedbackOutbox::shared().remove(id, nullptr);
                                })
        ->show();
}

void BusFeedBackViewController::textViewDidChange(TextView&) {
    updatePlaceholder();
}

void BusFeedBackViewController::updatePlaceholder() {
    lblDesc->setText(txtDesc->text().empty() ? tr(kPlaceholder) : "");
}

void BusFeedBackViewController::chooseType() {
    std::vector<std::string> shown;
    for (const auto& k : kinds()) shown.push_back(tr(k));
    StringPickerSheet::showPickerWithTitle(
        kPickerTitle, shown, 0,
        whileAlive<BusFeedBackViewController>(
            [](BusFeedBackViewController& self, StringPickerSheet&, int index, const std::string& value) {
                if (index < 0 || static_cast<std::size_t>(index) >= kinds().size()) return;
                self.kind = static_cast<std::size_t>(index);
                self.lblType->setText(value);
            }),
        [](StringPickerSheet&) { Log::line("Block Picker Canceled"); }, lblType);
}

void BusFeedBackViewController::photoStripDidPickPhotos(PhotoStripView& strip) {
    if (auto nav = navigationController())
        nav->pushViewController(std::make_shared<ShowBigViewController>(strip.photoMenuItems()), true);
}

void BusFeedBackViewController::showList() {
    if (auto nav = navigationController())
        nav->pushViewController(std::make_shared<DetListViewController>(), true);
}

void BusFeedBackViewController::submit() {
    if (sending_) return;
    if (PublicMethod::isBlankString(txtDesc->text())) {
        screen::setAlertInfo(tr(kBlankText), *view());
        return;
    }
    sending_ = true;
    screen::showActivityOrNo(true, *view());
    auto& outbox = FeedbackOutbox::shared();
    // The outbox follows whoever is signed in (it is told at sign-in; this covers any other way in).
    if (auto session = Session::shared().loginResult(); session && session->EmpID)
        outbox.signedIn(*session->EmpID);
    std::vector<FeedbackPhoto> photos;
    for (const auto& item : photoView->photoMenuItems()) photos.push_back(photoToSend(item));
    outbox.submit(FeedbackSubmission::compose(txtDesc->text(), kinds().at(kind), std::move(photos)),
                  whileAlive<BusFeedBackViewController>(
                      [](BusFeedBackViewController& self, const FeedbackOutbox::Submitted& outcome) {
                          self.submitted(outcome);
                      }));
}

void BusFeedBackViewController::submitted(const FeedbackOutbox::Submitted& outcome) {
    using Result = FeedbackOutbox::Submitted::Result;
    sending_ = false;
    screen::showActivityOrNo(false, *view());
    switch (outcome.result) {
        case Result::Sent:
            screen::setAlertInfo(tr(kSucceededText), *view());
            return clearForm();
        case Result::Kept:
            screen::setAlertInfo(tr(kKeptText), *view());
            return clearForm();
        case Result::Refused:
            // Kept in the outbox as failed, with its reason in the list below.
            screen::setAlertInfo(std::string(tr(kFailedText)) + outcome.reason, *view());
            return clearForm();
        case Result::NotSaved:
            // Nothing was kept: the form stays as it is.
            screen::setAlertInfo(outcome.reason, *view());
            return;
    }
}

void BusFeedBackViewController::clearForm() {
    txtDesc->setText("");
    updatePlaceholder();
    photoView->removeAllItems();
}

}  // namespace busdesk
