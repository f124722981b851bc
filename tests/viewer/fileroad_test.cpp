// The file road: the open and save filters built from the loader modules, loading a file
// as a picture, an object or a world, and saving through the bitmap loader.
#include "viewer_support.h"

#include "resource.h"

#include <QApplication>
#include <QMenuBar>
#include <QTest>

#include <fstream>
#include <vector>

namespace {

using namespace std::string_literals;

std::string Bytes(const KXSTRING& text)
{
    return std::string(text.GetText(), static_cast<std::size_t>(text.GetLength()));
}

struct FilterCase {
    std::vector<const char*> fixtures;
    std::string filter;
    std::vector<KXFILEFILTER> offered;
};

using FileRoadTest = ViewerTest;

TEST_F(FileRoadTest, OpenDialogGetsTheFilterOfEveryLoaderModuleByteForByte)
{
    const FilterCase cases[] = {
        {{},
         "Any loadable image (bmp)\0*.bmp\0All (*.*)\0*.*\0Bitmap\0*.bmp\0\0\0"s,
         {{"Any loadable image (bmp)", "*.bmp"}, {"All (*.*)", "*.*"}, {"Bitmap", "*.bmp"}}},
        {{"loader_d.dll", "loader_x.dll", "loader_w.dll"},
         "Any loadable image (dee, bmp)\0*.dee;*.bmp\0"
         "Any loadable object (obj)\0*.obj\0"
         "Any loadable world (wld)\0*.wld\0"
         "All (*.*)\0*.*\0"
         "Delta\0*.dee\0Bitmap\0*.bmp\0Xray\0*.obj\0Whiskey\0*.wld\0\0\0"s,
         {{"Any loadable image (dee, bmp)", "*.dee;*.bmp"},
          {"Any loadable object (obj)", "*.obj"},
          {"Any loadable world (wld)", "*.wld"},
          {"All (*.*)", "*.*"},
          {"Delta", "*.dee"},
          {"Bitmap", "*.bmp"},
          {"Xray", "*.obj"},
          {"Whiskey", "*.wld"}}},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.fixtures.size());
        // The fixture loaders of other kinds join the bitmap loader in the directory.
        for (const char* fixture : c.fixtures)
            dir.Copy({std::filesystem::path(PELISK_FIXTURE_DIR) / fixture});
        dialogs.requests.clear();
        CMainDlg dialog;
        Run(dialog, "", [&](CMainDlg& shown) {
            KXSTRING filter;
            EXPECT_EQ(shown.BuildOpenFilter(filter), static_cast<int>(1 + c.fixtures.size()));
            EXPECT_EQ(Bytes(filter), c.filter);
            shown.OnCommand(ID_FILE_OPEN);
        });
        ASSERT_EQ(dialogs.requests.size(), 1u);
        const KXFILEREQUEST& request = dialogs.requests[0];
        EXPECT_FALSE(request.save);
        EXPECT_EQ(request.filterIndex, 1);
        ASSERT_EQ(request.filters.size(), c.offered.size());
        for (std::size_t i = 0; i < c.offered.size(); ++i) {
            EXPECT_EQ(request.filters[i].description, c.offered[i].description);
            EXPECT_EQ(request.filters[i].patterns, c.offered[i].patterns);
        }
    }
}

TEST_F(FileRoadTest, OpenShowsTheChosenFileAsPictureObjectOrWorldOrSaysItIsUnloadable)
{
    dir.Copy({std::filesystem::path(PELISK_FIXTURE_DIR) / "loader_x.dll",
              std::filesystem::path(PELISK_FIXTURE_DIR) / "loader_w.dll"});
    for (const char* name : {"notes.txt", "thing.obj", "scene.wld"})
        std::ofstream(PathOf(name)) << "text";
    struct Case {
        std::string path;
        int mode;
        bool unloadable;
    };
    // Each file opens over a picture that was shown first.
    const Case cases[] = {
        {PathOf("notes.txt"), DISPLAY_NOTHING, true},
        {PathOf("thing.obj"), DISPLAY_OBJECT, false},
        {PathOf("scene.wld"), DISPLAY_WORLD, false},
        {picturePath, DISPLAY_PICTURE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        dialogs.messages.clear();
        CMainDlg dialog;
        Run(dialog, picturePath, [&](CMainDlg& shown) {
            CPictureCtrl& control = shown.GetPictureCtrl();
            ASSERT_EQ(control.m_nDisplayMode, DISPLAY_PICTURE);
            dialogs.Answer({true, c.path, 1});
            shown.OnCommand(ID_FILE_OPEN);
            EXPECT_EQ(control.m_nDisplayMode, c.mode);
            if (c.mode == DISPLAY_NOTHING) {
                EXPECT_EQ(PixelAt(control, 5, 5), ToRgb(kDarkBlue));
            }
            if (c.mode == DISPLAY_OBJECT) {
                const KXVECTOR& at = control.m_camera.GetPosition();
                EXPECT_DOUBLE_EQ(*at.GetItem(0), -1.0);
                EXPECT_DOUBLE_EQ(*at.GetItem(2), 1.0);
                EXPECT_DOUBLE_EQ(control.m_camera.GetFocal(), 45.0);
            }
            if (c.mode == DISPLAY_WORLD) {
                EXPECT_STREQ(control.m_status.GetText(), "Please select a renderer");
            }
        });
        ASSERT_EQ(dialogs.messages.size(), c.unloadable ? 1u : 0u);
        if (c.unloadable) {
            EXPECT_EQ(dialogs.messages[0].text, "Unloadable file");
            EXPECT_EQ(dialogs.messages[0].caption, "Message");
        }
    }
}

// Counts the paints a widget gets.
class PAINTCOUNTER final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(FileRoadTest, LoadingPaintsTheWholeWindowBeforeItBlocks)
{
    CMainDlg dialog;
    Run(dialog, "", [&](CMainDlg& shown) {
        // What a closed file dialog left over the menu bar is painted over before the
        // load blocks the window, not after.
        PAINTCOUNTER counter;
        shown.GetMenuBar()->installEventFilter(&counter);
        dialogs.Answer({true, picturePath, 1});
        shown.OnCommand(ID_FILE_OPEN);
        shown.GetMenuBar()->removeEventFilter(&counter);
        EXPECT_GT(counter.paints, 0);
        EXPECT_EQ(shown.GetPictureCtrl().m_nDisplayMode, DISPLAY_PICTURE);
    });
}

TEST_F(FileRoadTest, CancellingTheOpenDialogChangesNothing)
{
    CMainDlg dialog;
    Run(dialog, picturePath, [&](CMainDlg& shown) {
        shown.OnCommand(ID_FILE_OPEN); // no answer: the dialog is cancelled
        EXPECT_EQ(shown.GetPictureCtrl().m_nDisplayMode, DISPLAY_PICTURE);
        EXPECT_EQ(CellShown(shown.GetPictureCtrl(), 1, 1), kPicture[1][1]);
    });
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FileRoadTest, SaveAsWritesABitmapThroughTheBitmapLoader)
{
    CMainDlg dialog;
    Run(dialog, picturePath, [&](CMainDlg& shown) {
        // A name without extension gets the one of the chosen filter.
        dialogs.Answer({true, PathOf("saved"), 1});
        shown.OnCommand(ID_FILE_SAVEAS);
    });
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_TRUE(dialogs.requests[0].save);
    ASSERT_EQ(dialogs.requests[0].filters.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filters[0].description, "Bitmap");
    EXPECT_EQ(dialogs.requests[0].filters[0].patterns, "*.bmp");

    const QImage saved(QString::fromStdString(PathOf("saved.bmp")), "BMP");
    ASSERT_EQ(saved.size(), QSize(4, 2));
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(saved.pixel(column, row) | 0xFF000000, kPicture[row][column]);
}

class NoLoaderTest : public ViewerTest {
protected:
    void SetUp() override { Prepare({"stowel.dll"}); }
};

TEST_F(NoLoaderTest, OpenAndSaveAsSayThereIsNoLoadingModule)
{
    for (unsigned command : {ID_FILE_OPEN, ID_FILE_SAVEAS}) {
        SCOPED_TRACE(command);
        dialogs.messages.clear();
        CMainDlg dialog;
        Run(dialog, "", [&](CMainDlg& shown) { shown.OnCommand(command); });
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "No loading modules available");
        EXPECT_EQ(dialogs.messages[0].caption, "Pelisk error");
        EXPECT_TRUE(dialogs.requests.empty()) << "no file dialog opens";
    }
}

} // namespace
