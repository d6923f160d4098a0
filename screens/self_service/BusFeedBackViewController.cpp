#include "screens/self_service/BusFeedBackViewController.h"

#include "core/PublicMethod.h"
#include "platform/Log.h"
#include "platform/views/NavigationController.h"
#include "screens/self_service/DetListViewController.h"
#include "screens/self_service/ShowBigViewController.h"
#include "ui/Colors.h"
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

}  // namespace

const std::vector<std::string>& BusFeedBackViewController::kinds() {
    static const std::vector<std::string> list = {"建议", "表扬", "投诉", "咨询", "其他"};
    return list;
}

void BusFeedBackViewController::viewDidLoad() {
    if (openedFromMenu)
        screen::setNavTitleBar(*this, "车况信息反馈");
    else
        screen::setNavTitleBarWithLeftBTAndTitle(*this, "车况信息反馈");
    auto root = view();
    auto caption = [&](const char* text) {
        auto l = std::make_shared<Label>(Rect{}, text);
        l->setFontSize(15);
        l->setTextColor(Color::white(0.35));
        root->addSubview(l);
        captions_.push_back(l);
    };
    caption("反馈类型：");
    lblType = std::make_shared<Label>(Rect{}, kinds().front());
    lblType->setIdentifier("lblType");
    lblType->setFontSize(16);
    lblType->setTextColor(kAccentColor);
    lblType->addTapHandler(action(&BusFeedBackViewController::chooseType));
    root->addSubview(lblType);
    caption("反馈内容：");
    txtDesc = std::make_shared<TextView>();
    txtDesc->setIdentifier("txtDesc");
    txtDesc->setFontSize(15);
    txtDesc->setBackgroundColor(Color::white(0.95));
    txtDesc->setDelegate(self<BusFeedBackViewController>());
    root->addSubview(txtDesc);
    lblDesc = std::make_shared<Label>(Rect{}, kPlaceholder);
    lblDesc->setIdentifier("lblDesc");
    lblDesc->setFontSize(13);
    lblDesc->setNumberOfLines(2);
    lblDesc->setTextColor(Color::white(0.6));
    lblDesc->setUserInteractionEnabled(false);
    root->addSubview(lblDesc);
    caption("照片：");
    photoView = std::make_shared<PhotoStripView>(Rect{});
    photoView->setIdentifier("photoView");
    photoView->setDelegate(self<BusFeedBackViewController>());
    root->addSubview(photoView);
    btnSubmit = std::make_shared<Button>(Rect{}, "提交");
    btnSubmit->setIdentifier("submit");
    btnSubmit->setTitleColor(Color::whiteColor());
    btnSubmit->setBackgroundColor(kAccentColor);
    btnSubmit->setCornerRadius(6);
    btnSubmit->addAction(action(&BusFeedBackViewController::submit));
    root->addSubview(btnSubmit);
    btnShowList = std::make_shared<Button>(Rect{}, "查看反馈意见");
    btnShowList->setIdentifier("showList");
    btnShowList->setTitleColor(kAccentColor);
    btnShowList->addAction(action(&BusFeedBackViewController::showList));
    root->addSubview(btnShowList);
    layout();
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
}

void BusFeedBackViewController::textViewDidChange(TextView&) {
    // A changed text is a new submission: it is stored again, with the photos still in the strip.
    backId.clear();
    updatePlaceholder();
}

void BusFeedBackViewController::updatePlaceholder() {
    lblDesc->setText(txtDesc->text().empty() ? kPlaceholder : "");
}

void BusFeedBackViewController::chooseType() {
    std::weak_ptr<Label> target = lblType;
    StringPickerSheet::showPickerWithTitle(
        kPickerTitle, kinds(), 0,
        [target](StringPickerSheet&, int, const std::string& value) {
            if (auto l = target.lock()) l->setText(value);
        },
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
        screen::setAlertInfo(kBlankText, *view());
        return;
    }
    sending_ = true;
    screen::showActivityOrNo(true, *view());
    auto items = photoView->photoMenuItems();
    std::vector<FeedbackPhoto> photos;
    for (const auto& item : items) photos.push_back(photoToSend(item));
    auto round = FeedbackSubmission::compose(txtDesc->text(), lblType->text(), std::move(photos));
    // Already stored: only the photos now in the strip (those that failed last time) are sent.
    round.identifier = backId;
    FeedbackSubmission::send(std::move(round),
                             whileAlive<BusFeedBackViewController>(
                                 [](BusFeedBackViewController& self, const FeedbackSubmission::State& state,
                                    const FeedbackStep& step) { self.stepAnswered(state, step); }),
                             whileAlive<BusFeedBackViewController>(
                                 [items = std::move(items)](BusFeedBackViewController& self,
                                                            const FeedbackSubmission::State& state) {
                                     self.roundFinished(items, state);
                                 }));
}

void BusFeedBackViewController::stepAnswered(const FeedbackSubmission::State& round,
                                             const FeedbackStep& step) {
    const bool ok = step.outcome == FeedbackOutcome::Succeeded;
    if (step.kind == FeedbackStep::Kind::Text) {
        if (ok) backId = round.identifier;
        // A stored text says nothing yet: its photos each answer for themselves.
        if (!ok) screen::setAlertInfo(kFailedText, *view());
        return;
    }
    fileNameArr.clear();
    for (const auto& photo : round.photos) fileNameArr.push_back(photo.fileName);
    screen::setAlertInfo(ok ? kSucceededText : kFailedText, *view());
}

void BusFeedBackViewController::roundFinished(const std::vector<PhotoItem>& items,
                                              const FeedbackSubmission::State& round) {
    sending_ = false;
    screen::showActivityOrNo(false, *view());
    if (FeedbackSubmission::needsText(round)) return;
    if (items.empty()) {
        // The text alone, or a resend whose photos were all taken out of the strip.
        screen::setAlertInfo(kSucceededText, *view());
        return clearForm();
    }
    std::vector<PhotoItem> left;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!round.photos[i].stored()) left.push_back(items[i]);
    if (left.empty())
        clearForm();
    else
        photoView->setPhotoMenuItems(std::move(left));
}

void BusFeedBackViewController::clearForm() {
    txtDesc->setText("");
    updatePlaceholder();
    photoView->removeAllItems();
    backId.clear();
}

}  // namespace busdesk
