#include "ui/AssetPickerController.h"

#include <algorithm>
#include <filesystem>

#include "platform/Paths.h"
#include "platform/Translation.h"
#include "platform/views/Palette.h"
#include "ui/InfoAlert.h"

namespace busdesk {

namespace {
AssetPickerController::AlbumSource& sourceSlot() {
    static AssetPickerController::AlbumSource source;
    return source;
}
}  // namespace

AssetPickerController::AssetPickerController() {
    setTitle(tr("相册"));
}

void AssetPickerController::setAlbumSource(AlbumSource source) {
    sourceSlot() = std::move(source);
}

std::vector<Asset> AssetPickerController::defaultAlbum() {
    std::error_code ec;
    std::filesystem::path dir = Paths::dataDir() + "/Album";
    std::vector<std::filesystem::path> files;
    for (auto& entry : std::filesystem::directory_iterator(dir, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<std::string> paths;
    for (auto& f : files) paths.push_back(f.string());
    return albumFromFiles(paths);
}

std::vector<Asset> AssetPickerController::albumFromFiles(const std::vector<std::string>& paths) {
    std::vector<Asset> out;
    for (const auto& path : paths) {
        std::shared_ptr<const Image> thumbnail;
        {
            // Decoded no larger than the thumbnail needs: an album of large photos never holds one
            // at its full size.
            auto image = Image::fromFile(path, Asset::kThumbnailSize, Asset::kThumbnailSize);
            if (!image) continue;  // not a picture
            thumbnail = std::make_shared<const Image>(
                image->scaledToFit(Asset::kThumbnailSize, Asset::kThumbnailSize));
        }
        out.push_back({std::filesystem::path(path).filename().string(), path, std::move(thumbnail)});
    }
    return out;
}

bool AssetPickerController::toggleAsset(int index) {
    if (index < 0 || index >= static_cast<int>(assets_.size())) return false;
    if (auto it = std::find(selection_.begin(), selection_.end(), index); it != selection_.end()) {
        selection_.erase(it);
    } else {
        if (static_cast<int>(selection_.size()) >= maximumNumberOfSelection) {
            if (isViewLoaded())
                InfoAlert::showInfo(trFormat("最多选择%1张照片", {std::to_string(maximumNumberOfSelection)}),
                                    Color::of(ColorRole::Toast), *view(), 0.8);
            return false;
        }
        selection_.push_back(index);
    }
    updateTitle();
    if (table_) table_->reloadData();
    return true;
}

void AssetPickerController::updateTitle() {
    if (!done_) return;
    done_->title = trFormat("完成(%1)", {std::to_string(selection_.size())});
    navigationItem().setRightBarButtonItem(done_);
}

void AssetPickerController::finishPicking() {
    if (closed_) return;
    closed_ = true;
    auto keep = shared_from_this();
    std::vector<Asset> chosen;
    for (int i : selection_) chosen.push_back(assets_[static_cast<std::size_t>(i)]);
    dismissViewController(true);
    if (finish_) finish_(*this, chosen);
}

void AssetPickerController::cancelPicking() {
    if (closed_) return;
    closed_ = true;
    auto keep = shared_from_this();
    dismissViewController(true);
    if (cancel_) cancel_(*this);
}

void AssetPickerController::viewDidLoad() {
    auto all = sourceSlot() ? sourceSlot()() : defaultAlbum();
    // Photos only: every asset we can list is a decoded still picture.
    for (auto& a : all)
        if (a.image || assetsFilter != AssetsFilter::AllPhotos) assets_.push_back(std::move(a));
    auto v = view();
    table_ = std::make_shared<TableView>(v->bounds());
    table_->setIdentifier("assetList");
    table_->setRowHeight(60);
    v->addSubview(table_);
    table_->setDataSource(self<AssetPickerController>());
    table_->setDelegate(self<AssetPickerController>());
    table_->reloadData();
    auto cancel = std::make_shared<BarButtonItem>();
    cancel->title = tr("取消");
    cancel->identifier = "cancelPicking";
    cancel->size = {50, 30};
    cancel->action = action(&AssetPickerController::cancelPicking);
    navigationItem().setLeftBarButtonItem(cancel);
    done_ = std::make_shared<BarButtonItem>();
    done_->identifier = "finishPicking";
    done_->size = {70, 30};
    done_->action = action(&AssetPickerController::finishPicking);
    updateTitle();
}

int AssetPickerController::numberOfRows(TableView&, int) {
    return static_cast<int>(assets_.size());
}

std::shared_ptr<TableViewCell> AssetPickerController::cellForRow(TableView& tv, IndexPath ip) {
    auto cell = tv.dequeueReusableCell("asset");
    if (!cell) cell = std::make_shared<TableViewCell>(CellStyle::Value1, "asset");
    auto& a = assets_[static_cast<std::size_t>(ip.row)];
    cell->textLabel().setText(a.name);
    cell->imageView().setImage(a.image);
    auto it = std::find(selection_.begin(), selection_.end(), ip.row);
    cell->setAccessoryType(it == selection_.end() ? CellAccessory::None : CellAccessory::Checkmark);
    cell->detailTextLabel().setText(
        it == selection_.end() ? "" : "✓" + std::to_string(it - selection_.begin() + 1));
    return cell;
}

void AssetPickerController::didSelectRow(TableView& tv, IndexPath ip) {
    tv.deselectRow(ip, true);
    toggleAsset(ip.row);
}

}  // namespace busdesk
