#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Image.h"
#include "platform/views/TableView.h"
#include "platform/views/ViewController.h"

namespace busdesk {

// A photo of the album. A photo read from a file keeps only its thumbnail in memory; the full
// picture is decoded again from `path` when it is needed (one photo at a time).
struct Asset {
    static constexpr int kThumbnailSize = 160;

    std::string name;
    std::string path;
    std::shared_ptr<const Image> image;  // the thumbnail (the picture itself when there is no file)
};

enum class AssetsFilter { AllAssets, AllPhotos, AllVideos };

// Lists the album's photos; the user ticks up to maximumNumberOfSelection of them and finishes.
// The album itself comes from a pluggable source (the desktop presentation asks with a file
// dialog; the default reads the picture files of Paths::dataDir() + "/Album").
class AssetPickerController : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    using AlbumSource = std::function<std::vector<Asset>()>;
    using Finish = std::function<void(AssetPickerController&, const std::vector<Asset>&)>;
    using Cancel = std::function<void(AssetPickerController&)>;

    AssetPickerController();

    static void setAlbumSource(AlbumSource source);
    static std::vector<Asset> defaultAlbum();
    // The picture files among `paths`, each decoded once for its thumbnail and then let go.
    static std::vector<Asset> albumFromFiles(const std::vector<std::string>& paths);

    int maximumNumberOfSelection = 10;
    AssetsFilter assetsFilter = AssetsFilter::AllPhotos;
    bool showEmptyGroups = false;
    void setFinishHandler(Finish f) { finish_ = std::move(f); }
    void setCancelHandler(Cancel c) { cancel_ = std::move(c); }

    const std::vector<Asset>& assets() const { return assets_; }
    // Indices into assets(), in the order they were ticked.
    const std::vector<int>& selection() const { return selection_; }
    // Ticks or unticks; ticking beyond the maximum is refused (false).
    bool toggleAsset(int index);
    // Closes the picker and hands over the ticked photos.
    void finishPicking();
    void cancelPicking();

    void viewDidLoad() override;
    int numberOfRows(TableView&, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath) override;
    void didSelectRow(TableView&, IndexPath) override;

  private:
    void updateTitle();
    std::vector<Asset> assets_;
    std::vector<int> selection_;
    std::shared_ptr<TableView> table_;
    std::shared_ptr<BarButtonItem> done_;
    Finish finish_;
    Cancel cancel_;
    bool closed_ = false;
};

}  // namespace busdesk
