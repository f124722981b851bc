// Starting the viewer: the command line, the menu bar, the picture control over the whole
// client area, the keys that reach it and the ways the program ends.
#include "viewer_support.h"

#include "modal.h"

#include "peliskapp.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWindow>

#include <cmath>
#include <span>

namespace {

using StartupTest = ViewerTest;

TEST_F(StartupTest, CommandLineOpensThePictureStretchedOverTheClientArea)
{
    struct Case {
        std::string commandLine;
        bool opens;
    };
    const Case cases[] = {
        {"\"" + picturePath + "\"", true},
        {"\"\"\"" + picturePath + "\"\"", true},
        {picturePath, true}, // several words without quotes: one path
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        CPeliskApp app;
        app.m_lpCmdLine = c.commandLine;
        bool ran = false;
        const MODALANSWER answering = WhenModal([&](QDialog* shown) {
            auto* dialog = dynamic_cast<CMainDlg*>(shown);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(app.m_pMainWnd, dialog);
            EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
            CPictureCtrl& control = dialog->GetPictureCtrl();
            EXPECT_EQ(control.GetWidget()->geometry(), control.GetWidget()->parentWidget()->rect());
            if (c.opens) {
                EXPECT_STREQ(dialog->GetCommandLinePath().GetText(), picturePath.c_str());
                EXPECT_EQ(control.m_nDisplayMode, DISPLAY_PICTURE);
                for (int row = 0; row < 2; ++row)
                    for (int column = 0; column < 4; ++column)
                        EXPECT_EQ(CellShown(control, column, row), kPicture[row][column])
                            << column << ", " << row;
            } else {
                EXPECT_EQ(control.m_nDisplayMode, DISPLAY_NOTHING);
                EXPECT_EQ(PixelAt(control, 0, 0), ToRgb(kDarkBlue));
                EXPECT_EQ(PixelAt(control, control.GetWidget()->width() - 1,
                                  control.GetWidget()->height() - 1),
                          ToRgb(kDarkBlue));
            }
            ran = true;
            dialog->OnCancel();
        });
        EXPECT_FALSE(app.InitInstance()) << "the program ends with the dialog";
        EXPECT_TRUE(ran);
        EXPECT_EQ(app.m_pMainWnd, nullptr);
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

// The menu bar, item by item: the nesting, the texts and the command ids.
void Describe(const QList<QAction*>& actions, const QString& indent, QStringList& lines)
{
    for (QAction* action : actions) {
        if (action->isSeparator())
            lines << indent + "-";
        else if (action->menu() != nullptr) {
            lines << indent + action->text();
            Describe(action->menu()->actions(), indent + "  ", lines);
        } else
            lines << indent + action->text() + " " + QString::number(action->data().toUInt());
    }
}

// A menu table in the same form: each line indented by its level.
QStringList Describe(std::span<const KXMENUITEM> table)
{
    QStringList lines;
    for (const KXMENUITEM& line : table) {
        const QString indent(2 * line.level, ' ');
        switch (line.kind) {
        case KXMENUKIND::Separator:
            lines << indent + "-";
            break;
        case KXMENUKIND::Popup:
            lines << indent + line.text;
            break;
        case KXMENUKIND::Item:
            lines << indent + line.text + " " + QString::number(line.id);
            break;
        }
    }
    return lines;
}

TEST_F(StartupTest, MenuBarHoldsEveryCommandWithItsId)
{
    CMainDlg dialog;
    Run(dialog, "", [](CMainDlg& shown) {
        QStringList lines;
        Describe(shown.GetMenuBar()->actions(), "", lines);
        const QStringList expected = Describe(MainMenuTable());
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(lines, expected);
        // Without a renderer module the 3-D menu stays greyed.
        EXPECT_FALSE(shown.GetMenuBar()->actions()[3]->isEnabled());
    });
}

TEST_F(StartupTest, PictureControlFollowsTheClientAreaAsTheWindowIsResized)
{
    CMainDlg dialog;
    Run(dialog, picturePath, [](CMainDlg& shown) {
        const QSize sizes[] = {{800, 600}, {300, 250}, {1000, 330}};
        for (const QSize& size : sizes) {
            shown.resize(size);
            QCoreApplication::processEvents();
            CPictureCtrl& control = shown.GetPictureCtrl();
            QWidget* client = control.GetWidget()->parentWidget();
            EXPECT_EQ(shown.size(), size);
            EXPECT_EQ(client->width(), size.width());
            EXPECT_EQ(control.GetWidget()->geometry(), client->rect());
            EXPECT_EQ(CellShown(control, 3, 1), kPicture[1][3]) << "the corner follows";
            EXPECT_EQ(CellShown(control, 0, 0), kPicture[0][0]);
        }
    });
}

TEST_F(StartupTest, ExitCloseBoxAndEscapeEndTheProgram)
{
    struct Case {
        const char* what;
        std::function<void(CMainDlg&)> end;
        int result;
    };
    const Case cases[] = {
        {"Exit", [](CMainDlg& d) { d.GetMenuBar()->actions()[0]->menu()->actions()[3]->trigger(); },
         KXDIALOG::IDCANCEL},
        {"close box", [](CMainDlg& d) { d.close(); }, KXDIALOG::IDCANCEL},
        {"Escape",
         [](CMainDlg& d) { QTest::keyClick(d.GetPictureCtrl().GetWidget(), Qt::Key_Escape); },
         KXDIALOG::IDCANCEL},
        {"Escape to the window",
         [](CMainDlg& d) { QTest::keyClick(d.windowHandle(), Qt::Key_Escape); },
         KXDIALOG::IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMainDlg dialog;
        bool stillOpen = true;
        const int result = Run(dialog, "", [&](CMainDlg& shown) {
            c.end(shown);
            stillOpen = shown.isVisible();
        });
        EXPECT_FALSE(stillOpen);
        EXPECT_EQ(result, c.result);
    }
}

// A stray Enter, as a small dialog closes, must not end the program and lose the edits.
TEST_F(StartupTest, EnterInTheMainWindowDoesNothing)
{
    CMainDlg dialog;
    const int result = Run(dialog, picturePath, [&](CMainDlg& shown) {
        CPictureCtrl& control = shown.GetPictureCtrl();
        shown.OnCommand(ID_IMAGE_VFLIP);
        QTest::keyClick(shown.windowHandle(), Qt::Key_Return);
        QTest::keyClick(shown.windowHandle(), Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(control.GetWidget(), Qt::Key_Return);
        QTest::keyClick(&shown, Qt::Key_Enter);
        QCoreApplication::processEvents();
        EXPECT_TRUE(shown.isVisible());
        EXPECT_EQ(CellShown(control, 0, 0), kPicture[1][0]) << "the edit is kept";
        QTest::keyClick(shown.windowHandle(), Qt::Key_Escape);
        EXPECT_FALSE(shown.isVisible()) << "Escape still ends it";
    });
    EXPECT_EQ(result, KXDIALOG::IDCANCEL);
}

TEST_F(StartupTest, KeysReachThePictureControlAndWalkTheCamera)
{
    struct Case {
        Qt::Key key;
        double x, z;
    };
    // The camera starts on the origin, looking down -z with its right along +x.
    const Case cases[] = {
        {Qt::Key_Z, 0, -10}, {Qt::Key_S, 0, 10}, {Qt::Key_Q, -10, 0},
        {Qt::Key_D, 10, 0},  {Qt::Key_A, 0, 0},
    };
    for (const Case& c : cases) {
        CMainDlg dialog;
        Run(dialog, "", [&](CMainDlg& shown) {
            CPictureCtrl& control = shown.GetPictureCtrl();
            EXPECT_EQ(QApplication::focusWidget(), control.GetWidget());
            QTest::keyClick(QApplication::focusWidget(), c.key);
            const KXVECTOR& at = control.m_camera.GetPosition();
            EXPECT_DOUBLE_EQ(*at.GetItem(0), c.x) << c.key;
            EXPECT_NEAR(*at.GetItem(1), 0.0, 1e-12) << c.key;
            EXPECT_DOUBLE_EQ(*at.GetItem(2), c.z) << c.key;
        });
    }
}

} // namespace
