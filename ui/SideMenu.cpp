#include "ui/SideMenu.h"

#include "platform/RunLoop.h"
#include "platform/Translation.h"
#include "platform/views/DumpWriter.h"
#include "platform/views/Palette.h"

namespace busdesk {

namespace {
// Holds a menu; in the screen dump the menu's lines follow a heading, so a reader tells them
// from the content's.
class MenuContainer : public View {
  public:
    // `spoken` is the menu's name to a screen reader: what the title-bar button that opens it says.
    MenuContainer(Rect frame, std::string heading, std::string spoken)
        : View(frame), heading_(std::move(heading)), spoken_(std::move(spoken)) {
        setAccessibilityRole(AccessibilityRole::Menu);
    }
    std::string accessibleName() const override { return spoken_; }
    bool dump(DumpWriter& out) const override {
        out.line("— " + heading_ + " —");
        return true;
    }

  private:
    std::string heading_;
    std::string spoken_;
};
}  // namespace

SideMenu::SideMenu(std::shared_ptr<ViewController> content, std::shared_ptr<ViewController> leftMenu,
                   std::shared_ptr<ViewController> rightMenu)
    : content_(std::move(content)), left_(std::move(leftMenu)), right_(std::move(rightMenu)) {
    for (auto* vc : {&content_, &left_, &right_})
        if (*vc) addChildViewController(*vc);
}

void SideMenu::loadView() {
    ViewController::loadView();
    auto v = view();
    Rect b = v->bounds();
    background_ = std::make_shared<ImageView>(b);
    background_->setImageName(backgroundImageName);
    v->addSubview(background_);
    contentContainer_ = std::make_shared<View>(b);
    contentContainer_->setIdentifier("sideMenuContent");
    v->addSubview(contentContainer_);
    cover_ = std::make_shared<View>(b);
    cover_->setIdentifier("hideMenuViewController");
    cover_->setAccessibilityLabel(tr("关闭菜单"));
    // The content beside an open menu is dimmed: it only takes the tap that closes the menu.
    cover_->setBackgroundColor(Color::of(ColorRole::Scrim, 0.12));
    cover_->setBlocksTouchesBelow(true);
    cover_->setHidden(true);
    // Over the menus too: a menu spans the window under the slid-aside content, and a tap there
    // must close the menu, not reach a menu row.
    cover_->setZPosition(1);
    cover_->addTapHandler(whileAlive<SideMenu>([](SideMenu& self, View&) { self.hideMenuViewController(); }));
    // Shown only while a menu is open: Escape closes the menu.
    cover_->setEscapeHandler([weak = weak_from_this()] {
        auto self = std::static_pointer_cast<SideMenu>(weak.lock());
        if (!self || self->menuState() == MenuState::Hidden) return false;
        self->hideMenuViewController();
        return true;
    });
    v->addSubview(cover_);
    leftContainer_ = std::make_shared<MenuContainer>(b, tr("左侧菜单"), tr("功能菜单"));
    leftContainer_->setIdentifier("leftMenu");
    leftContainer_->setHidden(true);
    v->addSubview(leftContainer_);
    rightContainer_ = std::make_shared<MenuContainer>(b, tr("右侧菜单"), tr("个人菜单"));
    rightContainer_->setIdentifier("rightMenu");
    rightContainer_->setHidden(true);
    v->addSubview(rightContainer_);
    if (content_) attachChildView(*content_, *contentContainer_, b);
    if (left_) attachChildView(*left_, *leftContainer_, b);
    if (right_) attachChildView(*right_, *rightContainer_, b);
    followSlide();
}

void SideMenu::viewDidLayoutSubviews() {
    if (!contentContainer_) return;
    Rect b = view()->bounds();
    background_->setFrame(b);
    for (auto* c : {&contentContainer_, &cover_, &leftContainer_, &rightContainer_}) (*c)->setFrame(b);
    for (auto& vc : {content_, left_, right_})
        if (vc && vc->isViewLoaded()) vc->view()->setFrame(b);
    followSlide();
}

void SideMenu::followSlide() {
    double width = view()->bounds().width;
    PresentationOffset content{fraction_, {0, 0}, {direction_ * kMenuSlide * width, 0}};
    contentContainer_->setPresentationOffset(content);
    cover_->setPresentationOffset(content);
    leftContainer_->setPresentationOffset(PresentationOffset{fraction_, {-kMenuParallax * width, 0}, {0, 0}});
    rightContainer_->setPresentationOffset(PresentationOffset{fraction_, {kMenuParallax * width, 0}, {0, 0}});
}

// The content casts its shadow while a menu is open and while it slides shut.
void SideMenu::updateContentShadow() {
    bool casts = contentViewShadowEnabled && (state_ != MenuState::Hidden || !fraction_.finished());
    if (!casts) {
        contentContainer_->setShadow(std::nullopt);
        return;
    }
    contentContainer_->setShadow(Shadow{contentViewShadowColor, contentViewShadowOpacity,
                                        contentViewShadowRadius, contentViewShadowOffset});
}

std::vector<std::shared_ptr<ViewController>> SideMenu::visibleChildViewControllers() const {
    std::vector<std::shared_ptr<ViewController>> out;
    if (content_) out.push_back(content_);
    if (auto m = menuFor(state_)) out.push_back(m);
    return out;
}

std::shared_ptr<ViewController> SideMenu::menuFor(MenuState s) const {
    return s == MenuState::Left ? left_ : s == MenuState::Right ? right_ : nullptr;
}

void SideMenu::setContentViewController(const std::shared_ptr<ViewController>& vc, bool animated) {
    if (!vc || vc == content_) return;
    auto old = content_;
    bool shown = isAppeared();
    if (shown && old) old->beginAppearanceTransition(false, animated);
    content_ = vc;
    addChildViewController(vc);
    if (isViewLoaded()) {
        if (shown) vc->beginAppearanceTransition(true, animated);
        if (old && old->isViewLoaded()) old->view()->removeFromSuperview();
        attachChildView(*vc, *contentContainer_, view()->bounds());
    }
    if (old) old->removeFromParentViewController();
    if (shown && old) old->endAppearanceTransition();
    if (shown && isViewLoaded()) vc->endAppearanceTransition();
}

void SideMenu::showMenu(MenuState which) {
    if (which == state_) return;
    view();
    auto keep = shared_from_this();
    auto d = delegate_.lock();
    bool shown = isAppeared();
    auto hiding = menuFor(state_);
    auto showing = menuFor(which);
    double from = fraction_.current();
    if (hiding) {
        if (d) d->sideMenuWillHideMenuViewController(*this, *hiding);
        if (shown) hiding->beginAppearanceTransition(false, true);
    }
    if (showing) {
        if (d) d->sideMenuWillShowMenuViewController(*this, *showing);
        if (shown) showing->beginAppearanceTransition(true, true);
    }
    state_ = which;
    if (which == MenuState::Left) direction_ = 1;
    if (which == MenuState::Right) direction_ = -1;
    leftContainer_->setHidden(which != MenuState::Left);
    rightContainer_->setHidden(which != MenuState::Right);
    cover_->setHidden(which == MenuState::Hidden);
    // Typing in the content ends when a menu covers it.
    if (which != MenuState::Hidden) contentContainer_->endEditing();
    fraction_ = AnimatedValue::begin(from, which == MenuState::Hidden ? 0 : 1, seconds(kAnimationSeconds));
    followSlide();
    updateContentShadow();
    if (which == MenuState::Hidden) {
        RunLoop::main().postDelayed(seconds(kAnimationSeconds),
                                    whileAlive<SideMenu>([](SideMenu& self) { self.updateContentShadow(); }));
    }
    view()->notifyChanged(ViewChange::Animation);
    if (hiding) {
        if (shown) hiding->endAppearanceTransition();
        if (d) d->sideMenuDidHideMenuViewController(*this, *hiding);
    }
    if (showing) {
        if (shown) showing->endAppearanceTransition();
        if (d) d->sideMenuDidShowMenuViewController(*this, *showing);
    }
}

void SideMenu::presentLeftMenuViewController() {
    if (left_) showMenu(MenuState::Left);
}

void SideMenu::presentRightMenuViewController() {
    if (right_) showMenu(MenuState::Right);
}

void SideMenu::hideMenuViewController() {
    showMenu(MenuState::Hidden);
}

std::shared_ptr<SideMenu> sideMenuViewController(const ViewController& vc) {
    return vc.ancestorOfType<SideMenu>();
}

}  // namespace busdesk
