#include "screens/core/SignOut.h"

#include <memory>
#include <vector>

#include "core/PublicMethod.h"
#include "core/RememberedCredentials.h"
#include "core/Session.h"
#include "core/SessionEnd.h"
#include "core/SettingsKeys.h"
#include "model/LoginResult.h"
#include "platform/Translation.h"
#include "platform/views/ActionSheet.h"
#include "platform/views/AlertView.h"
#include "platform/views/Window.h"
#include "screens/core/IdleLock.h"
#include "screens/core/LoginViewController.h"
#include "services/FeedbackOutbox.h"
#include "services/OfficeCall.h"
#include "ui/PickerSheet.h"

namespace busdesk {

namespace {
// Whatever the signed-in screens left open over them: alerts, action sheets, picker sheets and
// toasts. Their callbacks belong to screens that are about to go.
void closeOverlays(Window& window) {
    auto children = window.overlayLayer().subviews();
    for (auto& child : children) {
        if (auto* alert = dynamic_cast<AlertView*>(child.get()))
            alert->dismissWithoutChoice();
        else if (auto* sheet = dynamic_cast<ActionSheet*>(child.get()))
            sheet->dismissWithoutChoice();
        else if (auto* picker = dynamic_cast<PickerSheet*>(child.get()))
            picker->dismiss();
        else
            child->removeFromSuperview();
    }
    window.takeToasts();
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        if (line.empty()) continue;
        if (!text.empty()) text += "\n";
        text += line;
    }
    return text;
}
}  // namespace

void SignOut::signOut(Window& window, const std::string& reason) {
    EndedSession ended;
    ended.cardID = Session::shared().cardID();
    if (auto record = Session::shared().loginResult()) ended.empID = record->EmpID;
    ended.reason = reason;
    if (!reason.empty()) ended.notices.push_back(reason);

    OfficeCall::cancelPending();
    // The remembered card with its keyring item (password and identity-card number), and the
    // signed-in card's item when it is another one.
    RememberedCredentials::shared().forget(Session::shared().typedCardID());
    PublicMethod::removeObjectForKey(kZtPassword);
    PublicMethod::removeObjectForKey(kZtUsername);
    PublicMethod::removeObjectForKey(kEmpId);
    // The lock stops, its verifier goes and its cover comes off.
    IdleLock::shared().signedOut();
    Session::shared().end();
    // Feedback not yet sent stays for the user's next sign-in; the notice offers to delete it.
    const bool feedbackPending = FeedbackOutbox::shared().count() > 0;
    const std::string feedbackOwner = FeedbackOutbox::shared().user();
    SessionEnd::run(ended);

    closeOverlays(window);
    window.setRootViewController(std::make_shared<LoginViewController>());
    if (auto text = joined(ended.notices); !text.empty()) {
        std::vector<std::string> choices;
        if (feedbackPending) choices.emplace_back(tr(kDeletePendingFeedback));
        std::make_shared<AlertView>(tr("温馨提示"), text, std::string(tr("确定")), choices,
                                    [feedbackOwner](AlertView&, int button) {
                                        if (button == 1)
                                            FeedbackOutbox::shared().removeAllOf(feedbackOwner, nullptr);
                                    })
            ->show();
    }
}

}  // namespace busdesk
