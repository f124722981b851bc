// The commands on what is shown: the properties box, the picture operations of the Image
// menu and the about box, each answered like a person would.
#include "viewer_support.h"

#include "modal.h"

#include "aboutdlg.h"
#include "kxdialog.h"
#include "kxmaterial.h"
#include "kxspareblocks.h"
#include "resource.h"

#include <QEventLoop>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <vector>

namespace {

class CommandsTest : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        // A 100 × 75 picture of 24 bits a pixel with its resolutions.
        QImage image(100, 75, QImage::Format_RGB32);
        for (int y = 0; y < 75; ++y)
            for (int x = 0; x < 100; ++x)
                image.setPixel(x, y, qRgb(x * 2, y * 3, (x + y) % 256));
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(2835);
        largePath = PathOf("large.bmp");
        ASSERT_TRUE(image.save(QString::fromStdString(largePath), "BMP"));
    }

    // Sends the command and runs answer with the dialog it opens.
    static void Answer(CMainDlg& shown, unsigned command, std::function<void(KXDIALOG&)> answer)
    {
        bool opened = false;
        const MODALANSWER answering = WhenModal([&](QDialog* dialog) {
            opened = true;
            auto* box = dynamic_cast<KXDIALOG*>(dialog);
            ASSERT_NE(box, nullptr);
            answer(*box);
            if (box->isVisible())
                box->done(KXDIALOG::IDCANCEL);
        });
        shown.OnCommand(command);
        EXPECT_TRUE(opened) << command;
    }

    static void PressOk(KXDIALOG& dialog)
    {
        qobject_cast<QPushButton*>(dialog.GetDlgItem(KXDIALOG::IDOK))->click();
    }

    // The properties box of what is shown: its caption and lines.
    static QStringList Properties(CMainDlg& shown, QString* caption = nullptr)
    {
        QStringList lines;
        Answer(shown, ID_EDIT_PROPERTIES, [&](KXDIALOG& dialog) {
            if (caption != nullptr)
                *caption = dialog.windowTitle();
            auto* list = qobject_cast<QListWidget*>(dialog.GetDlgItem(IDC_PROPERTIES_LIST));
            for (int i = 0; i < list->count(); ++i)
                lines << list->item(i)->text();
            PressOk(dialog);
        });
        return lines;
    }

    static QSize PictureSize(CMainDlg& shown)
    {
        const KXPICTURE& picture = shown.GetPictureCtrl().m_picture;
        return QSize(static_cast<int>(picture.GetWidth()), static_cast<int>(picture.GetHeight()));
    }

    std::string largePath;
};

TEST_F(CommandsTest, PicturePropertiesListSixLinesWithTheirTabs)
{
    CMainDlg dialog;
    Run(dialog, largePath, [&](CMainDlg& shown) {
        QString caption;
        const QStringList lines = Properties(shown, &caption);
        EXPECT_EQ(caption, "Picture properties");
        // Shown pictures are held at 32 bits a pixel, the depth of the display.
        const QStringList expected = {
            "Width:\t\t\t\t100", "Height:\t\t\t75",   "Depth:\t\t\t32",
            "HPPM:\t\t\t\t3780", "VPPM:\t\t\t\t2835", "Buffer size:\t\t30000",
        };
        EXPECT_EQ(lines, expected);
    });
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CommandsTest, ObjectAndWorldPropertiesCountWhatTheyHold)
{
    KXMATERIAL material;
    KXOBJECT3D first, second;
    first.AllocFaces(12);
    first.AllocVertices(8);
    second.AllocFaces(6);
    second.AllocVertices(5);
    KXLIGHT light;
    CMainDlg dialog;
    Run(dialog, "", [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        control.m_object.AllocFaces(4);
        control.m_object.AllocVertices(3);
        control.m_object.AddMaterial(&material);
        control.m_nDisplayMode = DISPLAY_OBJECT;
        QString caption;
        EXPECT_EQ(Properties(shown, &caption),
                  QStringList({"Classname:\t\t\tKXNULLOBJECT", "Nb faces:\t\t\t4",
                               "Nb vertices:\t\t3", "Nb materials:\t\t1"}));
        EXPECT_EQ(caption, "Object properties");

        control.m_world.AddObject(&first);
        control.m_world.AddObject(&second);
        control.m_world.AddCamera(&control.m_camera);
        control.m_world.AddLight(&light);
        control.m_nDisplayMode = DISPLAY_WORLD;
        EXPECT_EQ(Properties(shown, &caption),
                  QStringList({"Nb objects:\t\t2", "Nb cameras:\t\t1", "Nb lights:\t\t1",
                               "Nb faces:\t\t\t18", "Nb vertices:\t\t13"}));
        EXPECT_EQ(caption, "World properties");
        control.m_world.Clear();
    });
}

TEST_F(CommandsTest, NothingShownHasNoProperties)
{
    for (int mode : {DISPLAY_NOTHING, DISPLAY_STATUS, DISPLAY_ASKRENDERER}) {
        CMainDlg dialog;
        Run(dialog, "", [&](CMainDlg& shown) {
            shown.GetPictureCtrl().m_nDisplayMode = mode;
            shown.OnCommand(ID_EDIT_PROPERTIES); // a dialog here would be left open
        });
    }
    ASSERT_EQ(dialogs.messages.size(), 3u);
    for (const auto& message : dialogs.messages) {
        EXPECT_EQ(message.text, "No properties available");
        EXPECT_EQ(message.caption, "Message");
    }
}

TEST_F(CommandsTest, ResizeTakesTheWidthFromTheBoxLabelledHeight)
{
    const struct {
        const char* first;  // the box labelled "Height:"
        const char* second; // the box labelled "Width:"
        bool ok;
        QSize result;
    } cases[] = {
        {"100", "75", true, {96, 75}}, // as shown: the width drops to a multiple of 8
        {"13", "40", true, {8, 40}},
        {"200", "10", false, {100, 75}}, // cancelled
        // Sizes without a pixel leave the picture as it is.
        {"7", "40", true, {100, 75}},
        {"0", "40", true, {100, 75}},
        {"-16", "40", true, {100, 75}},
        {"64", "0", true, {100, 75}},
        {"64", "-3", true, {100, 75}},
        {"wide", "40", true, {100, 75}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " " + c.second);
        CMainDlg dialog;
        Run(dialog, largePath, [&](CMainDlg& shown) {
            Answer(shown, ID_IMAGE_RESIZE, [&](KXDIALOG& resize) {
                EXPECT_EQ(resize.windowTitle(), "Resize image");
                EXPECT_EQ(resize.GetDlgItemText(IDC_RESIZE_FIRST), "100");
                EXPECT_EQ(resize.GetDlgItemText(IDC_RESIZE_SECOND), "75");
                resize.SetDlgItemText(IDC_RESIZE_FIRST, c.first);
                resize.SetDlgItemText(IDC_RESIZE_SECOND, c.second);
                if (c.ok)
                    PressOk(resize);
            });
            EXPECT_EQ(PictureSize(shown), c.result);
            // The control shows the picture as it now is.
            EXPECT_EQ(shown.GetPictureCtrl().m_nDisplayMode, DISPLAY_PICTURE);
        });
    }
}

TEST_F(CommandsTest, VFlipTurnsThePictureOverAndTwiceRestoresIt)
{
    CMainDlg dialog;
    Run(dialog, picturePath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        const KXPICTURE& picture = control.m_picture;
        const std::vector<std::uint8_t> before(picture.GetData(),
                                               picture.GetData() + picture.GetDataSize());
        shown.OnCommand(ID_IMAGE_VFLIP);
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(CellShown(control, column, 0), kPicture[1][column]);
            EXPECT_EQ(CellShown(control, column, 1), kPicture[0][column]);
        }
        shown.OnCommand(ID_IMAGE_VFLIP);
        EXPECT_EQ(
            std::vector<std::uint8_t>(picture.GetData(), picture.GetData() + picture.GetDataSize()),
            before);
        EXPECT_EQ(CellShown(control, 0, 0), kPicture[0][0]);
    });
}

TEST_F(CommandsTest, DoubleSizeAndBlurDoublesBothSides)
{
    CMainDlg dialog;
    Run(dialog, largePath, [&](CMainDlg& shown) {
        shown.OnCommand(ID_IMAGE_DOUBLESIZEBLUR);
        EXPECT_EQ(PictureSize(shown), QSize(200, 150));
        // The corner keeps its colour: smoothing leaves the outer pixels alone.
        EXPECT_EQ(PixelAt(shown.GetPictureCtrl(), 0, 0), qRgb(0, 0, 0));
    });
}

// Double size frees the picture's old buffer, which the viewer keeps while it works; once
// the window waits for the user again, nothing is kept.
TEST_F(CommandsTest, AnIdleViewerKeepsNoBlockItNoLongerUses)
{
    QImage image(600, 450, QImage::Format_RGB32); // a little over 1 MiB at 32 bits
    image.fill(qRgb(10, 20, 30));
    const std::string path = PathOf("photo.bmp");
    ASSERT_TRUE(image.save(QString::fromStdString(path), "BMP"));
    CMainDlg dialog;
    Run(dialog, path, [&](CMainDlg& shown) {
        ASSERT_EQ(PictureSize(shown), QSize(600, 450));
        shown.OnCommand(ID_IMAGE_DOUBLESIZEBLUR);
        ASSERT_EQ(PictureSize(shown), QSize(1200, 900));
        EXPECT_GT(SpareBlocks().KeptBytes(), 0u);
        QEventLoop waiting;
        QTimer::singleShot(20, &waiting, &QEventLoop::quit);
        waiting.exec();
        EXPECT_EQ(SpareBlocks().KeptBytes(), 0u);
    });
}

TEST_F(CommandsTest, AboutBoxOpensFromTheMenuAndTheSystemCommands)
{
    const std::function<void(CMainDlg&)> ways[] = {
        [](CMainDlg& d) { d.OnCommand(ID_HELP_ABOUT); },
        [](CMainDlg& d) { d.OnSysCommand(IDM_ABOUTBOX); },
        [](CMainDlg& d) { d.OnSysCommand(IDM_ABOUTBOX + 15); },
    };
    for (const auto& open : ways) {
        CMainDlg dialog;
        Run(dialog, "", [&](CMainDlg& shown) {
            bool opened = false;
            int result = 0;
            const MODALANSWER answering = WhenModal([&](QDialog* about) {
                opened = true;
                EXPECT_EQ(about->windowTitle(), "About Pelisk");
                auto* picture = about->findChild<QLabel*>();
                ASSERT_NE(picture, nullptr);
                EXPECT_EQ(picture->pixmap().size(), QSize(320, 240));
                qobject_cast<QPushButton*>(dynamic_cast<KXDIALOG*>(about)->GetDlgItem(1))->click();
                result = about->result();
            });
            open(shown);
            EXPECT_TRUE(opened);
            EXPECT_EQ(result, KXDIALOG::IDOK);
            EXPECT_TRUE(shown.isVisible()) << "the about box ends, not the program";
        });
    }
}

TEST(AboutPicture, IsPaintedWithABallOverAFloor)
{
    const QImage picture = AboutPicture();
    ASSERT_EQ(picture.size(), QSize(320, 240));
    // Not one colour: a sky above, a lit ball in the middle, a floor below.
    EXPECT_NE(picture.pixel(5, 5), picture.pixel(165, 118));
    EXPECT_NE(picture.pixel(5, 5), picture.pixel(5, 230));
}

} // namespace
