#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Paths.h"
#include "ui/AssetPickerController.h"
#include "ui/PhotoStripView.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

class PhotoFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("busdesk-photofiles-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        Paths::setProfileDir(dir_.string());
    }
    void TearDown() override {
        PhotoStripView::setCamera({});
        Paths::clearProfileDir();
        fs::remove_all(dir_);
    }
    static Image solid(int w, int h, std::uint8_t shade) {
        return {w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w * h * 4), shade)};
    }
    fs::path dir_;
};

TEST_F(PhotoFiles, EachCameraPhotoGetsItsOwnFileAndKeepsOnlyItsThumbnail) {
    std::uint8_t shade = 30;
    PhotoStripView::setCamera([&shade](const std::function<void(std::optional<Image>)>& done) {
        done(solid(500, 300, shade));
        shade = 220;
    });
    auto stripView = std::make_shared<PhotoStripView>(Rect{0, 0, 390, 80});
    auto& strip = *stripView;
    strip.openCamera();
    strip.openCamera();
    const auto& items = strip.photoMenuItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_NE(items[0].path, items[1].path);
    EXPECT_EQ(strip.cameraImagePath(), items[1].path);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(fs::exists(items[i].path));
        ASSERT_TRUE(items[i].image);
        EXPECT_LE(items[i].image->width, Asset::kThumbnailSize);
        // The file holds this photo, not the one taken after it.
        auto full = items[i].fullImage();
        ASSERT_TRUE(full);
        EXPECT_EQ(full->width, 500);
        EXPECT_EQ(full->rgba[0], i == 0 ? 30 : 220);
    }
}

TEST_F(PhotoFiles, AnAlbumOfFilesListsThumbnailsAndSkipsWhatIsNoPicture) {
    auto a = (dir_ / "a.png").string(), b = (dir_ / "b.txt").string();
    std::ofstream(a, std::ios::binary) << solid(800, 600, 90).pngData();
    std::ofstream(b) << "not a picture";
    auto album = AssetPickerController::albumFromFiles({a, b, (dir_ / "missing.png").string()});
    ASSERT_EQ(album.size(), 1u);
    EXPECT_EQ(album[0].name, "a.png");
    EXPECT_EQ(album[0].path, a);
    ASSERT_TRUE(album[0].image);
    EXPECT_LE(album[0].image->width, Asset::kThumbnailSize);
    // A photo without a file is its own full picture.
    PhotoItem held{std::make_shared<const Image>(solid(4, 4, 7)), "x", ""};
    ASSERT_TRUE(held.fullImage());
    EXPECT_EQ(held.fullImage()->width, 4);
}

}  // namespace
}  // namespace busdesk
