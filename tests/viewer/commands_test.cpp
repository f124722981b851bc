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
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
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

// The edit box that stands beside the label, as a person finds it: the one whose middle
// is nearest the label's, on its right.
QLineEdit* BoxBeside(KXDIALOG& dialog, const QString& text)
{
    QLabel* label = nullptr;
    for (QLabel* candidate : dialog.findChildren<QLabel*>())
        if (candidate->text() == text)
            label = candidate;
    if (label == nullptr)
        return nullptr;
    QLineEdit* nearest = nullptr;
    for (QLineEdit* box : dialog.findChildren<QLineEdit*>()) {
        const int distance =
            std::abs(box->geometry().center().y() - label->geometry().center().y());
        if (box->x() > label->x() &&
            (nearest == nullptr || distance < std::abs(nearest->geometry().center().y() -
                                                       label->geometry().center().y())))
            nearest = box;
    }
    return nearest;
}

TEST_F(CommandsTest, ResizeBoxesHoldTheSidesTheirLabelsName)
{
    const struct {
        const char* width;
        const char* height;
        bool ok;
        QSize result;
        const char* refusal; // what the message says, null for no message
    } cases[] = {
        {"100", "75", true, {96, 75}, nullptr}, // as shown: the width drops to a multiple of 8
        {"13", "40", true, {8, 40}, nullptr},
        {"2000", "1500", true, {2000, 1500}, nullptr},
        {" 64 ", "\t40 ", true, {64, 40}, nullptr},
        {"200", "10", false, {100, 75}, nullptr}, // cancelled
        // Sizes without a pixel, texts that are no side and more pixels than a picture may
        // have leave the picture as it is, and say why.
        {"7", "40", true, {100, 75}, "the width goes down to a multiple of 8, and 7 leaves"},
        {"0", "40", true, {100, 75}, "the width \"0\" is not a whole number from 1"},
        {"-16", "40", true, {100, 75}, "the width \"-16\" is not a whole number"},
        {"64", "0", true, {100, 75}, "the height \"0\" is not a whole number"},
        {"64", "-3", true, {100, 75}, "the height \"-3\" is not a whole number"},
        {"wide", "40", true, {100, 75}, "the width \"wide\" is not a whole number"},
        {"64", "12abc", true, {100, 75}, "the height \"12abc\" is not a whole number"},
        {"4294967304", "40", true, {100, 75}, "the width \"4294967304\" is not a whole number"},
        {"", "40", true, {100, 75}, "the width \"\" is not a whole number"},
        {"20000", "20000", true, {100, 75}, "20000 x 20000 is more pixels than the 134217728"},
        {"16384", "8193", true, {100, 75}, "16384 x 8193 is more pixels"},
        {"2147483647", "2147483647", true, {100, 75}, "2147483640 x 2147483647 is more pixels"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.width) + " " + c.height);
        dialogs.messages.clear();
        CMainDlg dialog;
        Run(dialog, largePath, [&](CMainDlg& shown) {
            Answer(shown, ID_IMAGE_RESIZE, [&](KXDIALOG& resize) {
                EXPECT_EQ(resize.windowTitle(), "Resize image");
                QLineEdit* width = BoxBeside(resize, "Width:");
                QLineEdit* height = BoxBeside(resize, "Height:");
                ASSERT_NE(width, nullptr);
                ASSERT_NE(height, nullptr);
                EXPECT_EQ(width->text(), "100");
                EXPECT_EQ(height->text(), "75");
                width->setText(c.width);
                height->setText(c.height);
                if (c.ok)
                    PressOk(resize);
            });
            EXPECT_EQ(PictureSize(shown), c.result);
            // The control shows the picture as it now is.
            EXPECT_EQ(shown.GetPictureCtrl().m_nDisplayMode, DISPLAY_PICTURE);
            if (c.refusal != nullptr) {
                EXPECT_EQ(PixelAt(shown.GetPictureCtrl(), 0, 0), qRgb(0, 0, 0)) << "still shown";
            }
        });
        if (c.refusal == nullptr) {
            EXPECT_TRUE(dialogs.messages.empty());
            continue;
        }
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].caption, "Pelisk error");
        EXPECT_TRUE(dialogs.messages[0].text.starts_with("The picture was not changed: "))
            << dialogs.messages[0].text;
        EXPECT_NE(dialogs.messages[0].text.find(c.refusal), std::string::npos)
            << dialogs.messages[0].text;
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

TEST_F(CommandsTest, DoubleSizeBeyondTheLargestPictureIsToldAndKeepsThePicture)
{
    CMainDlg dialog;
    Run(dialog, largePath, [&](CMainDlg& shown) {
        // Doubled, a quarter of the largest picture and one row more is too large. At a
        // byte a pixel it costs little to hold.
        KXPICTURE& picture = shown.GetPictureCtrl().m_picture;
        ASSERT_TRUE(picture.Create(8192, 4097, 8));
        shown.OnCommand(ID_IMAGE_DOUBLESIZEBLUR);
        EXPECT_EQ(PictureSize(shown), QSize(8192, 4097));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].caption, "Pelisk error");
        EXPECT_EQ(dialogs.messages[0].text, "The picture was not changed: 16384 x 8194 is more "
                                            "pixels than the 134217728 a picture may have.");
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
