#include "screens/self_service/BusFeedBackViewController.h"

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "platform/Log.h"
#include "platform/views/NavigationController.h"
#include "screens/self_service/DetListViewController.h"
#include "screens/self_service/ShowBigViewController.h"
#include "services/SuggestServer.h"
#include "ui/Colors.h"
#include "ui/ScreenHelpers.h"
#include "ui/StringPickerSheet.h"

namespace busdesk {

struct BusFeedBackViewController::Round {
    std::vector<PhotoItem> items;
    std::vector<bool> stored;
    std::size_t pending = 0;
};

const std::vector<std::string>& BusFeedBackViewController::kinds() {
    static const std::vector<std::string> list = {"建议", "表扬", "投诉", "咨询", "其他"};
    return list;
}

std::string BusFeedBackViewController::identifierFromAnswer(const std::string& answer) {
    std::string id;
    for (char c : answer)
        if (c != '"') id += c;
    auto space = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    };
    std::size_t a = 0, b = id.size();
    while (a < b && space(id[a])) ++a;
    while (b > a && space(id[b - 1])) --b;
    return id.substr(a, b - a);
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
    // The text is stored already; only the photos that failed last time are left to upload.
    if (!backId.empty()) {
        if (!photoView->photoMenuItems().empty()) return uploadPhotos();
        // Their photos were taken out of the strip: nothing is left to send.
        sending_ = false;
        screen::showActivityOrNo(false, *view());
        screen::setAlertInfo(kSucceededText, *view());
        clearForm();
        return;
    }
    boost::json::object params;
    if (auto session = Session::shared().loginResult(); session && session->EmpID)
        params["Empid"] = *session->EmpID;
    params["Content"] = txtDesc->text();
    params["ParentID"] = "0";
    params["pType"] = lblType->text();
    SuggestServer::PostSubmitTextWithPar(
        std::move(params),
        whileAlive<BusFeedBackViewController>(
            [](BusFeedBackViewController& self, const std::string& answer) { self.textAnswered(answer); }),
        whileAlive<BusFeedBackViewController>([](BusFeedBackViewController& self) { self.failed(); }));
}

void BusFeedBackViewController::failed() {
    sending_ = false;
    screen::showActivityOrNo(false, *view());
    screen::setAlertInfo(kFailedText, *view());
}

void BusFeedBackViewController::textAnswered(const std::string& answer) {
    std::string id = identifierFromAnswer(answer);
    // No identifier, or the server's "0" for a text it did not store: nothing to upload against.
    if (id.empty() || id == "0") return failed();
    backId = id;
    if (photoView->photoMenuItems().empty()) {
        sending_ = false;
        screen::showActivityOrNo(false, *view());
        screen::setAlertInfo(kSucceededText, *view());
        clearForm();
        return;
    }
    uploadPhotos();
}

void BusFeedBackViewController::uploadPhotos() {
    auto round = std::make_shared<Round>();
    round->items = photoView->photoMenuItems();
    round->stored.assign(round->items.size(), false);
    round->pending = round->items.size();
    fileNameArr.clear();
    for (std::size_t i = 0; i < round->items.size(); ++i)
        fileNameArr.push_back(PublicMethod::getUniqueStrByUUID() + ".png");
    for (std::size_t i = 0; i < round->items.size(); ++i) {
        // One full picture at a time: decoded here, encoded by the upload, released when it returns.
        auto full = round->items[i].fullImage();
        if (!full) {
            uploadAnswered(round, i, false);
            continue;
        }
        std::vector<Image> images;
        images.push_back(std::move(*full));
        boost::json::object params;
        params["id"] = backId;
        auto answered = whileAlive<BusFeedBackViewController>(
            [round, i](BusFeedBackViewController& self, bool ok) { self.uploadAnswered(round, i, ok); });
        SuggestServer::PostSubmitImageWithPar(
            std::move(params), std::move(images), {fileNameArr[i]}, [answered] { answered(true); },
            [answered] { answered(false); });
    }
}

void BusFeedBackViewController::uploadAnswered(const std::shared_ptr<Round>& round, std::size_t index,
                                               bool ok) {
    round->stored[index] = ok;
    screen::setAlertInfo(ok ? kSucceededText : kFailedText, *view());
    if (round->pending > 0) --round->pending;
    if (round->pending > 0) return;
    sending_ = false;
    screen::showActivityOrNo(false, *view());
    std::vector<PhotoItem> left;
    for (std::size_t i = 0; i < round->items.size(); ++i)
        if (!round->stored[i]) left.push_back(round->items[i]);
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
