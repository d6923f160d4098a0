#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Image.h"
#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "ui/AssetPickerController.h"

namespace busdesk {

class PhotoStripView;

// A chosen photo. When it has a file, `image` is only its thumbnail and fullImage() decodes the
// file again, so a strip of ten photos never holds ten full-size pictures.
struct PhotoItem {
    std::shared_ptr<const Image> image;  // the thumbnail, or the picture itself when there is no file
    std::string name;
    std::string path;

    // The full picture: decoded from the file, else the image held; nothing when neither is there.
    std::optional<Image> fullImage() const;
};

class PhotoStripViewDelegate {
  public:
    virtual ~PhotoStripViewDelegate() = default;
    virtual void photoStripDidSelectItem(PhotoStripView&, const PhotoItem&, int index) { (void)index; }
    // The album picker finished and the strip now holds the chosen photos (the screen shows the
    // full-size preview here).
    virtual void photoStripDidPickPhotos(PhotoStripView&) {}
};

// One thumbnail per item (identifier "photo", each with a delete button "deletePhoto") and, after
// them, a photo-sized add tile ("addPhoto": a camera and "添加照片") that offers camera or album.
class PhotoStripView : public View {
  public:
    static constexpr double kThumbSize = 70;
    static constexpr const char* kCameraTitle = N_("打开照相机");
    static constexpr const char* kAlbumTitle = N_("从手机相册获取");
    static constexpr const char* kCancelTitle = N_("取消");
    static constexpr const char* kAddPhotoTitle = N_("添加照片");
    static constexpr int kMaxAlbumPhotos = 10;

    // Takes a picture and calls back once (nothing when the user gave up).
    using Camera = std::function<void(std::function<void(std::optional<Image>)>)>;

    explicit PhotoStripView(Rect frame);

    // Without a camera installed the device counts as having none.
    static void setCamera(Camera camera);
    static bool hasCamera();

    const std::vector<PhotoItem>& photoMenuItems() const { return items_; }
    void setPhotoMenuItems(std::vector<PhotoItem> items);
    void removeAllItems();
    void removeItemAtIndex(int index);
    void reloadData();
    void setDelegate(std::weak_ptr<PhotoStripViewDelegate> d) { delegate_ = std::move(d); }

    void showAddSheet();
    void openCamera();
    void openAlbum();
    // Where the last camera photo was written: each photo gets its own file
    // ("…/Documents/image-<unique>.png"), so no item points at another photo's file.
    const std::string& cameraImagePath() const { return cameraPath_; }
    static std::string documentsDirectory();

    bool dump(DumpWriter& out) const override;

  private:
    std::shared_ptr<ViewController> presenter() const;
    std::vector<PhotoItem> items_;
    std::weak_ptr<PhotoStripViewDelegate> delegate_;
    std::string cameraPath_;
};

}  // namespace busdesk
