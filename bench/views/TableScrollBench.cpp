// A list of 100 000 rows scrolled from top to bottom in the Qt presentation on the offscreen
// platform. Each frame moves the list, mirrors the tree into widgets and paints the window
// synchronously, so the frame time is what a real frame would cost on this machine.
#include <QApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/RunLoop.h"
#include "platform/qt/QtPainting.h"
#include "platform/qt/WindowPresenter.h"
#include "platform/views/TableView.h"
#include "platform/views/ViewController.h"
#include "platform/views/Window.h"

using namespace busdesk;

namespace {

class Rows : public TableViewDataSource {
  public:
    int numberOfRows(TableView&, int) override { return 100000; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& t, IndexPath ip) override {
        auto cell = t.dequeueReusableCell("trip");
        if (!cell) {
            cell = std::make_shared<TableViewCell>(CellStyle::Subtitle, "trip");
            cell->setAccessoryType(CellAccessory::DisclosureIndicator);
        }
        cell->textLabel().setText("第 " + std::to_string(ip.row + 1) + " 趟 · 12 路 · 沪A" +
                                  std::to_string(10000 + ip.row));
        cell->detailTextLabel().setText("06:" + std::to_string(10 + ip.row % 50) + " 发车 · 驾驶员 张" +
                                        std::to_string(ip.row % 97));
        return cell;
    }
};

void ratio(const char* name, double value, const char* op, double target) {
    std::printf("ratio %s %.3f target %s %g\n", name, value, op, target);
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qt::installApplicationFont();
    RunLoop::main().adoptCurrentThread();

    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();
    auto screen = std::make_shared<ViewController>();
    window->setRootViewController(screen);
    auto rows = std::make_shared<Rows>();
    auto table = std::make_shared<TableView>(Rect{0, 64, 390, 780});
    table->setRowHeight(60);
    table->setDataSource(rows);
    screen->view()->addSubview(table);
    table->reloadData();

    qt::WindowPresenter presenter(window);
    presenter.surface()->show();
    presenter.sync();
    // The offscreen platform never exposes a window, so a repaint could skip painting; rendering
    // into an image always rasterises the whole window, as a frame on screen would.
    QImage frame(presenter.surface()->size(), QImage::Format_ARGB32_Premultiplied);
    presenter.surface()->render(&frame);

    const double viewport = table->frame().height;
    const auto visibleRows = static_cast<std::size_t>(viewport / table->rowHeight()) + 1;
    // A fast flick: most of a screen per frame, so nearly every frame brings in new rows.
    const double stepPx = 640;
    std::vector<double> frames;
    std::size_t mostCells = 0, mostWidgets = 0;
    using Clock = std::chrono::steady_clock;
    while (!table->isAtEnd()) {
        auto start = Clock::now();
        table->setContentOffset({0, std::min(table->maxOffsetY(), table->contentOffset().y + stepPx)});
        presenter.sync();
        presenter.surface()->render(&frame);
        frames.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        mostCells = std::max(mostCells, presenter.shownWidgetCount(qt::ViewWidget::Kind::Cell));
        mostWidgets = std::max(mostWidgets, presenter.shownWidgetCount());
    }

    // Proof that frames were really painted: the last one holds the rows' text.
    long ink = 0;
    for (int y = 64; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) ink += qGray(frame.pixel(x, y)) < 128;
    std::printf("dark pixels in the last frame: %ld\n", ink);
    std::printf("rows 100000, %zu frames of %.0f px, visible rows %zu\n", frames.size(), stepPx, visibleRows);
    std::printf("cells created %zu, most cell widgets shown %zu, most widgets shown %zu\n",
                table->cellsCreated(), mostCells, mostWidgets);
    std::printf("frame ms: median %.3f  p95 %.3f  max %.3f\n", percentile(frames, 0.5),
                percentile(frames, 0.95), percentile(frames, 1.0));
    ratio("table_cells_created_beyond_visible_rows",
          static_cast<double>(table->cellsCreated()) - static_cast<double>(visibleRows), "<=", 3);
    ratio("table_cell_widgets_beyond_visible_rows",
          static_cast<double>(mostCells) - static_cast<double>(visibleRows), "<=", 3);
    ratio("table_scroll_median_frame_ms", percentile(frames, 0.5), "<", 8);
    ratio("table_scroll_p95_frame_ms", percentile(frames, 0.95), "info", 0);
    return 0;
}
