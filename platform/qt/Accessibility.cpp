#include "platform/qt/Accessibility.h"

#include <QAccessibleWidget>
#include <array>
#include <utility>

#include "platform/qt/QtPainting.h"
#include "platform/qt/ViewWidget.h"
#include "platform/views/Control.h"
#include "platform/views/DatePicker.h"
#include "platform/views/PickerView.h"
#include "platform/views/TableView.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"

namespace busdesk::qt {

namespace {

bool listed(QObject* child) {
    auto* w = dynamic_cast<ViewWidget*>(child);
    return w && w->view() && !w->isHidden() && !w->view()->accessibilityHidden();
}

class ViewAccessible : public QAccessibleWidget {
  public:
    explicit ViewAccessible(ViewWidget* w) : QAccessibleWidget(w) {}

    ViewWidget* viewWidget() const { return static_cast<ViewWidget*>(widget()); }
    View* view() const { return viewWidget()->view(); }

    bool isValid() const override { return QAccessibleWidget::isValid() && view(); }

    QAccessible::Role role() const override {
        View* v = view();
        if (!v) return QAccessible::NoRole;
        if (dynamic_cast<Window*>(v)) return QAccessible::Window;
        return qtRole(v->accessibilityRole());
    }

    QString text(QAccessible::Text t) const override {
        View* v = view();
        if (!v) return {};
        switch (t) {
            case QAccessible::Name:
                return toQString(v->accessibleName());
            case QAccessible::Description:
                return toQString(v->accessibilityHint());
            case QAccessible::Value:
                // A password is read as its length in dots, never as what was typed.
                if (auto* f = dynamic_cast<TextField*>(v))
                    return f->secureTextEntry()
                               ? QString(static_cast<int>(toQString(f->text()).toUcs4().size()),
                                         QChar(0x2022))
                               : toQString(f->text());
                if (auto* tv = dynamic_cast<TextView*>(v)) return toQString(tv->text());
                return {};
            default:
                return {};
        }
    }

    QAccessible::State state() const override { return accessibleState(*viewWidget()); }

    int childCount() const override { return static_cast<int>(children().size()); }
    QAccessibleInterface* child(int index) const override {
        auto list = children();
        if (index < 0 || index >= static_cast<int>(list.size())) return nullptr;
        return QAccessible::queryAccessibleInterface(list[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        auto list = children();
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] == child->object()) return static_cast<int>(i);
        return -1;
    }

    QStringList actionNames() const override {
        View* v = view();
        if (v && actsOnPress(*v)) return {QAccessibleActionInterface::pressAction()};
        return {};
    }
    void doAction(const QString& name) override {
        View* v = view();
        if (v && name == QAccessibleActionInterface::pressAction() && actsOnPress(*v)) v->userTap();
    }

  private:
    // A field's own editor is not listed: the field itself is the text field.
    std::vector<QObject*> children() const {
        std::vector<QObject*> out;
        if (!view() || view()->accessibilityRole() == AccessibilityRole::TextField) return out;
        for (QObject* c : widget()->children())
            if (listed(c)) out.push_back(c);
        return out;
    }
};

Announcer& announcerSlot() {
    static Announcer announcer;
    return announcer;
}

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* w = dynamic_cast<ViewWidget*>(object)) return new ViewAccessible(w);
    return nullptr;
}

}  // namespace

void installAccessibility() {
    // Qt forgets its factories when the application object goes; a later one needs it again.
    QAccessible::removeFactory(factory);
    QAccessible::installFactory(factory);
}

QAccessible::Role qtRole(AccessibilityRole role) {
    static constexpr std::array<std::pair<AccessibilityRole, QAccessible::Role>, 15> kRoles{{
        {AccessibilityRole::None, QAccessible::Grouping},
        {AccessibilityRole::StaticText, QAccessible::StaticText},
        {AccessibilityRole::Button, QAccessible::Button},
        {AccessibilityRole::CheckBox, QAccessible::CheckBox},
        {AccessibilityRole::TextField, QAccessible::EditableText},
        {AccessibilityRole::List, QAccessible::List},
        {AccessibilityRole::ListRow, QAccessible::ListItem},
        {AccessibilityRole::Tab, QAccessible::PageTab},
        {AccessibilityRole::Dialog, QAccessible::Dialog},
        {AccessibilityRole::Menu, QAccessible::PopupMenu},
        {AccessibilityRole::Picker, QAccessible::SpinBox},
        {AccessibilityRole::Image, QAccessible::Graphic},
        {AccessibilityRole::BusyIndicator, QAccessible::ProgressBar},
        {AccessibilityRole::Alert, QAccessible::AlertMessage},
        {AccessibilityRole::Document, QAccessible::Document},
    }};
    for (const auto& [ours, theirs] : kRoles)
        if (ours == role) return theirs;
    return QAccessible::Grouping;
}

bool actsOnPress(const View& view) {
    if (view.accessibilityHidden()) return false;
    if (auto* control = dynamic_cast<const Control*>(&view)) return control->enabled();
    if (auto* text = dynamic_cast<const TextView*>(&view)) return text->editable();
    if (auto* cell = dynamic_cast<const TableViewCell*>(&view))
        return cell->selectionStyle() != CellSelectionStyle::None || view.hasTapHandlers();
    if (dynamic_cast<const PickerView*>(&view) || dynamic_cast<const DatePicker*>(&view)) return true;
    return view.hasTapHandlers();
}

QAccessible::State accessibleState(const ViewWidget& widget) {
    QAccessible::State s;
    View* v = widget.view();
    if (!v) {
        s.invalid = true;
        return s;
    }
    s.invisible = widget.isHidden() || !widget.isVisible();
    auto* control = dynamic_cast<Control*>(v);
    s.disabled = control && !control->enabled();
    s.focusable = actsOnPress(*v);
    if (auto look = v->checkBoxLook()) {
        s.checkable = true;
        s.checked = look->checked;
    }
    AccessibilityRole role = v->accessibilityRole();
    if (role == AccessibilityRole::Tab && control) {
        s.selectable = true;
        s.selected = control->selected();
    }
    if (auto* cell = dynamic_cast<TableViewCell*>(v)) {
        s.selectable = true;
        s.selected = cell->isSelected();
    }
    if (control && role == AccessibilityRole::Button) s.pressed = control->highlighted();
    s.busy = role == AccessibilityRole::BusyIndicator;
    if (auto* f = dynamic_cast<TextField*>(v)) {
        s.editable = f->enabled();
        s.passwordEdit = f->secureTextEntry();
    }
    s.modal = role == AccessibilityRole::Dialog;
    return s;
}

void setAnnouncer(Announcer announcer) {
    announcerSlot() = std::move(announcer);
}

void announceChanges(ViewWidget& widget) {
    View* v = widget.view();
    if (!v) return;
    std::string name = v->accessibleName();
    QAccessible::State now = accessibleState(widget);
    auto& before = widget.announced;
    const Announcer& announcer = announcerSlot();
    // Nobody listens: remember only (an event would make Qt build the widget's interface).
    if (!announcer && !QAccessible::isActive()) {
        before = {std::move(name), now, true};
        return;
    }
    auto send = [&announcer](QAccessibleEvent& event) {
        if (announcer)
            announcer(event);
        else
            QAccessible::updateAccessibility(&event);
    };
    if (!before.valid && v->accessibilityRole() == AccessibilityRole::Alert) {
        QAccessibleEvent alert(&widget, QAccessible::Alert);
        send(alert);
    }
    if (before.valid && name != before.name) {
        QAccessibleEvent named(&widget, QAccessible::NameChanged);
        send(named);
    }
    if (before.valid) {
        QAccessible::State changed;
        changed.checked = now.checked != before.state.checked;
        changed.selected = now.selected != before.state.selected;
        changed.busy = now.busy != before.state.busy;
        changed.disabled = now.disabled != before.state.disabled;
        if (changed.checked || changed.selected || changed.busy || changed.disabled) {
            QAccessibleStateChangeEvent event(&widget, changed);
            send(event);
        }
    }
    before = {std::move(name), now, true};
}

}  // namespace busdesk::qt
