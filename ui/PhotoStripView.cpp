#include "ui/PhotoStripView.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Translation.h"
#include "platform/UUID.h"
#include "platform/views/ActionSheet.h"
#include "platform/views/ImageView.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Palette.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/WeakCallback.h"
#include "platform/views/Window.h"
#include "ui/PhotoName.h"

namespace busdesk {

namespace {
PhotoStripView::Camera& cameraSlot() {
    static PhotoStripView::Camera camera;
    return camera;
}

PhotoStripView* stripOf(View& v) {
    for (View* p = &v; p; p = p->superview())
        if (auto* s = dynamic_cast<PhotoStripView*>(p)) return s;
    return nullptr;
}
}  // namespace

std::optional<Image> PhotoItem::fullImage() const {
    if (!path.empty())
        if (auto decoded = Image::fromFile(path)) return decoded;
    if (image) return *image;
    return std::nullopt;
}

PhotoStripView::PhotoStripView(Rect frame) : View(frame) {
    reloadData();
}

void PhotoStripView::setCamera(Camera camera) {
    cameraSlot() = std::move(camera);
}

bool PhotoStripView::hasCamera() {
    return static_cast<bool>(cameraSlot());
}

std::string PhotoStripView::documentsDirectory() {
    return Paths::dataDir() + "/Documents";
}

void PhotoStripView::setPhotoMenuItems(std::vector<PhotoItem> items) {
    items_ = std::move(items);
    reloadData();
}

void PhotoStripView::removeAllItems() {
    items_.clear();
    reloadData();
}

void PhotoStripView::removeItemAtIndex(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) return;
    items_.erase(items_.begin() + index);
    reloadData();
}

void PhotoStripView::reloadData() {
    removeAllSubviews();
    double x = 5;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        int index = static_cast<int>(i);
        auto thumb = std::make_shared<ImageView>(Rect{x, 5, kThumbSize, kThumbSize});
        thumb->setIdentifier("photo");
        thumb->setAccessibilityLabel(screen::photoName(i));
        thumb->setTag(index);
        if (items_[i].image)
            thumb->setImage(std::make_shared<const Image>(items_[i].image->scaledToFit(140, 140)));
        thumb->addTapHandler([index](View& sender) {
            if (auto* s = stripOf(sender))
                if (auto d = s->delegate_.lock())
                    d->photoStripDidSelectItem(*s, s->items_[static_cast<std::size_t>(index)], index);
        });
        addSubview(thumb);
        auto del = std::make_shared<Button>(Rect{kThumbSize - 20, 0, 20, 20}, "×");
        del->setIdentifier("deletePhoto");
        del->setAccessibilityLabel(trFormat("删除%1", {screen::photoName(i)}));
        del->setTag(index);
        del->addAction([index](View& sender) {
            if (auto* s = stripOf(sender)) s->removeItemAtIndex(index);
        });
        thumb->addSubview(del);
        x += kThumbSize + 5;
    }
    // A tile the size of a photo, camera over the words, so it reads as the place a photo goes.
    auto add = std::make_shared<Button>(Rect{x, 5, kThumbSize, kThumbSize}, tr(kAddPhotoTitle));
    add->setIdentifier("addPhoto");
    add->setImageName("IconCamera");
    add->setFontSize(13);
    add->setTitleColor(Color::of(ColorRole::SecondaryText));
    add->setBackgroundColor(Color::of(ColorRole::SecondaryBackground));
    add->setCornerRadius(8);
    add->addAction([](View& sender) {
        if (auto* s = stripOf(sender)) s->showAddSheet();
    });
    addSubview(add);
    notifyChanged(ViewChange::Content);
}

void PhotoStripView::showAddSheet() {
    auto sheet = std::make_shared<ActionSheet>(
        "", std::vector<std::string>{tr(kCameraTitle), tr(kAlbumTitle), tr(kCancelTitle)}, 2,
        whileAlive(this, [](PhotoStripView& s, ActionSheet&, int index) {
            if (index == 0) s.openCamera();
            if (index == 1) s.openAlbum();
        }));
    sheet->showInView(this);
}

void PhotoStripView::openCamera() {
    if (!hasCamera()) {
        Log::line("模拟其中无法打开照相机,请在真机中使用");
        return;
    }
    cameraSlot()(whileAlive(this, [](PhotoStripView& s, std::optional<Image> photo) {
        if (!photo || photo->empty()) return;
        std::string dir = documentsDirectory();
        std::string name = "image-" + uuidString() + ".png";
        std::string path = dir + "/" + name;
        // Our pictures always have a PNG form; JPEG is the fallback when encoding fails.
        std::string bytes = photo->pngData();
        if (bytes.empty()) bytes = photo->jpegData(100);
        // 0600 whatever the umask, written whole before it is named.
        const bool written = atomic_file::replace(path, bytes) == 0;
        if (written) {
            s.cameraPath_ = path;
            // The file holds the picture; the strip keeps the thumbnail.
            auto thumb = std::make_shared<const Image>(
                photo->scaledToFit(Asset::kThumbnailSize, Asset::kThumbnailSize));
            s.items_.push_back({std::move(thumb), name, path});
        } else {
            s.items_.push_back({std::make_shared<const Image>(std::move(*photo)), name, ""});
        }
        s.reloadData();
    }));
}

std::shared_ptr<ViewController> PhotoStripView::presenter() const {
    for (const View* v = this; v; v = v->superview())
        if (auto* vc = v->owningViewController()) return vc->shared_from_this();
    if (auto w = Window::keyWindow()) return w->topViewController();
    return nullptr;
}

void PhotoStripView::openAlbum() {
    auto host = presenter();
    if (!host) return;
    auto picker = std::make_shared<AssetPickerController>();
    picker->maximumNumberOfSelection = kMaxAlbumPhotos;
    picker->assetsFilter = AssetsFilter::AllPhotos;
    picker->showEmptyGroups = false;
    picker->setFinishHandler(
        whileAlive(this, [](PhotoStripView& s, AssetPickerController&, const std::vector<Asset>& chosen) {
            std::vector<PhotoItem> items;
            for (auto& a : chosen) items.push_back({a.image, a.name, a.path});
            s.setPhotoMenuItems(std::move(items));
            if (auto d = s.delegate_.lock()) d->photoStripDidPickPhotos(s);
        }));
    host->presentViewController(std::make_shared<NavigationController>(picker), true);
}

bool PhotoStripView::dump(DumpWriter& out) const {
    std::string line = DumpWriter::head("photos", *this) + ": " + std::to_string(items_.size());
    for (auto& i : items_) line += " " + DumpWriter::quote(i.name);
    out.line(line);
    return false;
}

}  // namespace busdesk
