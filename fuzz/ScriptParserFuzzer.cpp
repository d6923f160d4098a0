// Arbitrary headless scripts against a small app built the way the screens are: a list behind a
// side menu, a detail screen with a back button, a form with a field, a button and an alert. A
// script may fail; it must never crash, hang or reach undefined behaviour.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "app/script/ScriptRunner.h"
#include "platform/RunLoop.h"
#include "platform/views/AlertView.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/TableView.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "ui/ScreenHelpers.h"
#include "ui/SideMenu.h"

namespace {

using namespace busdesk;

class FormScreen : public ViewController {
  public:
    void viewDidLoad() override {
        screen::setNavTitleBarWithLeftBTAndTitle(*this, "表单");
        auto field = std::make_shared<TextField>(Rect{10, 10, 200, 30});
        field->setIdentifier("tf_name");
        view()->addSubview(field);
        auto ok = std::make_shared<Button>(Rect{10, 60, 100, 40}, "确定");
        ok->setIdentifier("search");
        std::weak_ptr<TextField> weakField = field;
        ok->addAction([weakField](View& v) {
            auto f = weakField.lock();
            if (!f || f->text().empty()) return screen::setAlertInfo("请输入", v);
            std::make_shared<AlertView>("提示", f->text(), std::string("取消"),
                                        std::vector<std::string>{"好"})
                ->show();
        });
        view()->addSubview(ok);
    }
};

class ListScreen : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    void viewDidLoad() override {
        screen::setNavTitleBar(*this, "列表");
        list_ = std::make_shared<TableView>(view()->bounds());
        list_->setIdentifier("tbList");
        view()->addSubview(list_);
        list_->setDataSource(self<ListScreen>());
        list_->setDelegate(self<ListScreen>());
        list_->reloadData();
    }
    int numberOfRows(TableView&, int) override { return 40; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override {
        auto cell = tv.dequeueReusableCell("row");
        if (!cell) cell = std::make_shared<TableViewCell>(CellStyle::Subtitle, "row");
        cell->textLabel().setText("行 " + std::to_string(ip.row + 1));
        return cell;
    }
    void didSelectRow(TableView& tv, IndexPath ip) override {
        tv.deselectRow(ip, true);
        navigationController()->pushViewController(std::make_shared<FormScreen>(), true);
    }

  private:
    std::shared_ptr<TableView> list_;
};

class NullBuffer : public std::streambuf {
  protected:
    int overflow(int c) override { return c; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        RunLoop::main().adoptCurrentThread();
        RunLoop::main().useManualClock();
        return true;
    }();
    (void)ready;
    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();
    auto shell =
        std::make_shared<SideMenu>(std::make_shared<NavigationController>(std::make_shared<ListScreen>()),
                                   std::make_shared<ViewController>(), std::make_shared<ViewController>());
    window->setRootViewController(shell);

    NullBuffer sink;
    std::ostream out(&sink);
    {
        ScriptRunner runner(window, out);
        runner.setIdleBound(std::chrono::milliseconds(200));
        std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
        std::string line;
        for (int lines = 0; lines < 64 && std::getline(script, line); ++lines) {
            if (runner.execute(line).quit) break;
        }
    }
    // Let every animation and delayed job of this input end before the next one starts.
    RunLoop::main().advance(std::chrono::seconds(60));
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(200));
    return 0;
}
