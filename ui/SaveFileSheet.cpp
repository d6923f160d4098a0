#include "ui/SaveFileSheet.h"

#include "platform/Paths.h"
#include "platform/RunLoop.h"
#include "platform/views/Palette.h"
#include "platform/views/ScreenDump.h"

namespace busdesk {

namespace {
SaveFileSheet::Chooser& chooser() {
    static SaveFileSheet::Chooser c;
    return c;
}

bool blank(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}
}  // namespace

void SaveFileSheet::setChooser(Chooser c) {
    chooser() = std::move(c);
}

void SaveFileSheet::ask(const std::string& title, const std::string& suggestedName,
                        std::weak_ptr<View> origin, Done done) {
    if (chooser()) {
        auto path = chooser()(title, suggestedName);
        // Never inside the call that asked, as when the sheet answers.
        RunLoop::main().post([done = std::move(done), path = std::move(path)] {
            if (done) done(path);
        });
        return;
    }
    auto sheet = std::make_shared<SaveFileSheet>(title, suggestedName, std::move(origin), std::move(done));
    sheet->showActionSheetPicker();
}

SaveFileSheet::SaveFileSheet(std::string title, const std::string& suggestedName, std::weak_ptr<View> origin,
                             Done done)
    : PickerSheet(std::move(title), std::move(origin)), done_(std::move(done)) {
    savePath = std::make_shared<TextField>();
    savePath->setIdentifier("savePath");
    savePath->setBackgroundColor(Color::of(ColorRole::Background));
    savePath->setText(Paths::dataDir() + "/Documents/" + suggestedName);
}

std::shared_ptr<SaveFileSheet> SaveFileSheet::openSheet() {
    auto sheets = visibleSheets();
    for (auto it = sheets.rbegin(); it != sheets.rend(); ++it)
        if (auto sheet = std::dynamic_pointer_cast<SaveFileSheet>(*it)) return sheet;
    return nullptr;
}

bool SaveFileSheet::pickValue(const std::string& path) {
    if (blank(path)) return false;
    savePath->setText(path);
    return true;
}

bool SaveFileSheet::save(const std::string& path) {
    if (!pickValue(path)) return false;
    userPressDone();
    return true;
}

void SaveFileSheet::notifyDone() {
    auto path = savePath->text();
    if (blank(path)) return notifyCancel();
    if (done_) done_(path);
}

void SaveFileSheet::notifyCancel() {
    if (done_) done_(std::nullopt);
}

std::string SaveFileSheet::describeValue() const {
    return DumpWriter::quote(savePath->text());
}

}  // namespace busdesk
