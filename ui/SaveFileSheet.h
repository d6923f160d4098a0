#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/views/TextField.h"
#include "ui/PickerSheet.h"

namespace busdesk {

// Where to save a file. In the window the platform's save dialog answers (a chooser the app
// installs); without one, a sheet whose field `savePath` holds the path to write, the suggested
// name in the data folder's Documents to begin with. Done (a script's `save PATH`) hands the path
// over, Cancel hands nothing over.
class SaveFileSheet : public PickerSheet {
  public:
    using Done = std::function<void(std::optional<std::string> path)>;
    // The platform's dialog: the title and the suggested file name in, the chosen path (nothing
    // when the user cancelled) out.
    using Chooser =
        std::function<std::optional<std::string>(const std::string& title, const std::string& name)>;
    static void setChooser(Chooser chooser);

    // Asks for a path: through the chooser when one is installed, else with a sheet over the
    // window of `origin`. `done` runs once, on the main thread.
    static void ask(const std::string& title, const std::string& suggestedName, std::weak_ptr<View> origin,
                    Done done);

    SaveFileSheet(std::string title, const std::string& suggestedName, std::weak_ptr<View> origin, Done done);

    // The open sheet of a script's `save PATH`, if any.
    static std::shared_ptr<SaveFileSheet> openSheet();
    // Writes `path` into the field and presses Done; a blank path changes nothing and is refused.
    bool save(const std::string& path);
    // Writes a path into the field (a blank one is refused).
    bool pickValue(const std::string& path) override;

    std::shared_ptr<TextField> savePath;

  protected:
    std::shared_ptr<View> pickerView() override { return savePath; }
    void notifyDone() override;
    void notifyCancel() override;
    std::string describeValue() const override;

  private:
    Done done_;
};

}  // namespace busdesk
