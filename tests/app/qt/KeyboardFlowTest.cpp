// A whole working session from the keyboard alone, in the offscreen window against the substitute
// office server: every step is a Qt key press on the window (or typing into the field that has the
// focus); nothing is tapped, and a script only lets time pass.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <cmath>
#include <cstdlib>

#include "platform/qt/ViewWidget.h"
#include "platform/views/KeyboardNavigation.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/TableView.h"
#include "platform/views/Window.h"
#include "tests/app/qt/WindowWalk.h"

namespace busdesk {
namespace {

class KeyboardFlow : public window_tests::WindowWalk {
  protected:
    // A key pressed at the window, as Qt delivers it: to the widget with Qt's focus (a field's
    // editor while typing), else to the window.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != presenter_->surface()) target = editorOfFocus();
        if (!target) target = presenter_->surface();
        // The text a key types, as Qt gives it along (a field's editor inserts it).
        const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QString();
        QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(target, &up);
        letTimePass(0);
    }

    // Typed into the field the keyboard is in, one key at a time.
    void typeText(const QString& text) {
        QLineEdit* editor = editorOfFocus();
        ASSERT_NE(editor, nullptr) << "no field takes the typing";
        for (QChar c : text) {
            QKeyEvent down(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(editor, &down);
        }
        letTimePass(0);
    }

    void letTimePass(int seconds) {
        auto r = runner_->execute("wait " + std::to_string(seconds));
        ASSERT_TRUE(r.ok) << r.message;
        presenter_->sync();
    }

    QLineEdit* editorOfFocus() {
        View* editing = window().firstResponder();
        auto* w = editing ? presenter_->widgetFor(*editing) : nullptr;
        return w ? w->lineEdit() : nullptr;
    }

    // The focused view's name, while the keys reach it.
    std::string focused() {
        View* v = window().focusedView();
        return v && v->isReachable() ? v->identifier() : "";
    }

    // Tab until the view named `id` has the focus (at most once round the screen).
    void tabTo(const std::string& id) {
        for (std::size_t i = 0; i <= keyboard::focusOrder(window()).size(); ++i) {
            if (focused() == id) return;
            press(Qt::Key_Tab);
        }
        FAIL() << "Tab never reaches #" << id << "\n" << screen();
    }

    // Tab until a list has the focus.
    void tabToList() {
        for (std::size_t i = 0; i <= keyboard::focusOrder(window()).size(); ++i) {
            View* v = window().focusedView();
            if (dynamic_cast<TableView*>(v) && v->isReachable()) return;
            press(Qt::Key_Tab);
        }
        FAIL() << "Tab never reaches a list\n" << screen();
    }

    // Down (then Up) through the focused list until its keyboard row reads `text`.
    void arrowToRow(const std::string& text) {
        auto* list = dynamic_cast<TableView*>(window().focusedView());
        ASSERT_NE(list, nullptr) << "the focus is on no list: #" << focused();
        std::string seen;
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up})
            for (int i = 0; i <= list->totalRows(); ++i) {
                press(key);
                auto row = list->keyboardRow();
                ASSERT_TRUE(row.has_value());
                for (const auto& t : list->textsForRow(*row)) {
                    if (t.find(text) != std::string::npos) return;
                    seen += t + " | ";
                }
            }
        FAIL() << "no row reads " << text << ": " << seen;
    }

    std::string screen() { return ScreenDump::dump(window(), false); }
    void expectOnScreen(const std::string& text) {
        std::string now = screen();
        EXPECT_NE(now.find(text), std::string::npos) << "expected " << text << "\n" << now;
    }
};

TEST_F(KeyboardFlow, SignInQueryAttendanceOpenABulletinAndReadAPayslipByKeysOnly) {
    // Sign in: the card number, Tab, the password, Enter.
    tabTo("username");
    typeText("10086");
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), "password") << "Tab goes from the card number to the password";
    // The ring is drawn round the focused field: a dark line just outside its frame.
    auto fieldRing = keyboard::focusRing(window());
    ASSERT_TRUE(fieldRing.has_value());
    QImage drawn = presenter_->surface()->grab().toImage();
    if (const char* dir = std::getenv("BUSDESK_TEST_SHOTS"); dir && *dir)
        drawn.save(QString::fromStdString(std::string(dir) + "/focus-ring-login.png"));
    const int ringX = static_cast<int>(std::floor(fieldRing->x)) - 1;
    const int ringY = static_cast<int>(std::lround(fieldRing->midY()));
    EXPECT_LT(qGray(drawn.pixel(ringX, ringY)), 90) << "no ring left of the field";
    EXPECT_LT(qGray(drawn.pixel(static_cast<int>(std::ceil(fieldRing->maxX())), ringY)), 90)
        << "no ring right of the field";
    typeText("123456");
    press(Qt::Key_Return);
    letTimePass(3);
    expectOnScreen("首页");

    // The attendance query from the left menu (F2), run with Enter.
    press(Qt::Key_F2);
    tabTo("tableView");
    arrowToRow("考勤信息");
    // The focus ring follows the keyboard's row.
    auto ring = keyboard::focusRing(window());
    ASSERT_TRUE(ring.has_value());
    EXPECT_LT(ring->height, 100);
    press(Qt::Key_Return);
    expectOnScreen("field #tf_Btime: \"2014-05-01\"");
    press(Qt::Key_Return);
    expectOnScreen("考勤信息详情");
    expectOnScreen("考勤日期:2014-05-20");
    // The rows, by arrows; an attendance row opens nothing, so Enter only marks it chosen.
    tabToList();
    arrowToRow("考勤日期:2014-05-05");
    press(Qt::Key_Return);
    // Esc: back to the query form.
    press(Qt::Key_Escape);
    expectOnScreen("field #tf_Btime");
    EXPECT_EQ(screen().find("考勤信息详情"), std::string::npos);

    // A row that opens: a bulletin from the left menu's announcements, and back.
    press(Qt::Key_F2);
    tabTo("tableView");
    arrowToRow("公告通知");
    press(Qt::Key_Return);
    letTimePass(1);
    tabToList();
    arrowToRow("关于冬季安全行车的通知");
    press(Qt::Key_Return);
    letTimePass(1);
    std::string bulletin = screen();
    EXPECT_NE(bulletin.find("[#goBack]"), std::string::npos) << "Enter opened the bulletin\n" << bulletin;
    EXPECT_EQ(bulletin.find("list #tbList"), std::string::npos) << bulletin;
    press(Qt::Key_Escape);
    EXPECT_NE(screen(), bulletin) << "Esc left the bulletin";
    expectOnScreen("关于冬季安全行车的通知");

    // Esc closes a side menu without going anywhere.
    press(Qt::Key_F3);
    expectOnScreen("— 右侧菜单 —");
    press(Qt::Key_Escape);
    expectOnScreen("关于冬季安全行车的通知");

    // The payslip: the right menu (F3), the salary screen, March on the month wheel, Enter.
    press(Qt::Key_F3);
    tabTo("ShowSalary");
    press(Qt::Key_Return);
    expectOnScreen("薪资查看");
    tabTo("monthPicker");
    press(Qt::Key_Up);
    press(Qt::Key_Return);
    expectOnScreen("查询月份：2014年03月");
    expectOnScreen("实发工资：");
}

TEST_F(KeyboardFlow, TypingStaysInTheFieldAndShiftTabGoesBack) {
    tabTo("username");
    typeText("1 0");
    press(Qt::Key_Space);
    press(Qt::Key_Up);
    typeText("8");
    expectOnScreen("field #username: \"1 0 8\"");
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), "password");
    // The check box is the next stop; Space ticks it and ticks it off.
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), "cb");
    press(Qt::Key_Space);
    expectOnScreen("checkbox #cb: [x]");
    press(Qt::Key_Space);
    expectOnScreen("checkbox #cb: [ ]");
    press(Qt::Key_Tab, Qt::ShiftModifier);
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), "username");
    // Qt sends Shift+Tab as Backtab.
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_NE(focused(), "username");
}

}  // namespace
}  // namespace busdesk
