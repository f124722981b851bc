// Dialogs laid out from templates: controls at the converted places, their data, and the
// keys that end them.
#include "modal.h"

#include "kxdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The shapes of the viewer's resize and VORN dialogs.
const KXDLGCONTROL resizeControls[] = {
    {KXCONTROL::PushButton, 1, "OK", 35, 69, 50, 14, KXS_DEFAULT},
    {KXCONTROL::PushButton, 2, "Cancel", 94, 69, 50, 14},
    {KXCONTROL::Edit, 1001, "", 63, 10, 40, 14},
    {KXCONTROL::Static, -1, "Width:", 18, 15, 22, 8},
    {KXCONTROL::Static, -1, "Height:", 17, 31, 24, 8},
    {KXCONTROL::Edit, 1002, "", 63, 28, 40, 14},
};
const KXDLGTEMPLATE resizeDialog{"Resize image", 186, 90, "MS Sans Serif", 8, resizeControls};

const KXDLGCONTROL vornControls[] = {
    {KXCONTROL::PushButton, 1, "OK", 31, 116, 50, 14},
    {KXCONTROL::PushButton, 2, "Cancel", 97, 116, 50, 14},
    {KXCONTROL::Trackbar, 1015, "Slider1", 7, 23, 99, 28, KXS_TICKS},
    {KXCONTROL::Radio, 1017, "Dots", 113, 30, 50, 13, KXS_GROUP},
    {KXCONTROL::Radio, 1016, "Polygons", 113, 41, 50, 13},
    {KXCONTROL::Static, 1005, "Color similarity:", 13, 15, 62, 8},
    {KXCONTROL::Edit, 1018, "", 60, 90, 40, 14},
    {KXCONTROL::ListBox, 1011, "", 7, 60, 99, 28, KXS_SORTED},
};
const KXDLGTEMPLATE vornDialog{"VORN properties", 186, 137, "MS Sans Serif", 8, vornControls};

TEST(DialogUnits, MapAsTheSystemRoundsThem)
{
    const struct {
        QSize base;
        QRect units, pixels;
    } cases[] = {
        {{6, 13}, {257, 134, 50, 14}, {386, 218, 75, 23}},
        {{6, 13}, {0, 0, 320, 200}, {0, 0, 480, 325}},
        {{7, 16}, {7, 23, 99, 28}, {12, 46, 174, 56}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MapDialogUnits(c.units, c.base), c.pixels) << c.units.x();
}

TEST(Dialog, ControlsStandAtTheConvertedPlaces)
{
    KXDIALOG dialog(resizeDialog);
    const QSize base = dialog.GetBaseUnits();
    EXPECT_GT(base.width(), 3);
    EXPECT_GT(base.height(), 8);
    EXPECT_EQ(dialog.windowTitle(), "Resize image");
    EXPECT_EQ(dialog.size(), MapDialogUnits(QRect(0, 0, 186, 90), base).size());

    const QList<QWidget*> widgets = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(widgets.size(), std::size(resizeControls));
    for (std::size_t i = 0; i < std::size(resizeControls); ++i) {
        const KXDLGCONTROL& c = resizeControls[i];
        EXPECT_EQ(widgets[i]->geometry(), MapDialogUnits(QRect(c.x, c.y, c.cx, c.cy), base)) << i;
    }
    EXPECT_NE(qobject_cast<QLineEdit*>(dialog.GetDlgItem(1001)), nullptr);
    EXPECT_EQ(qobject_cast<QLabel*>(widgets[3])->text(), "Width:");
    EXPECT_TRUE(qobject_cast<QPushButton*>(dialog.GetDlgItem(1))->isDefault());
    EXPECT_FALSE(qobject_cast<QPushButton*>(dialog.GetDlgItem(2))->isDefault());
}

// A dialog's frame is modal, with a caption and a system menu: the window manager is
// asked for a title bar with a close box and nothing to minimise or maximise it.
TEST(Dialog, FrameHasACaptionAndACloseBoxOnly)
{
    QWidget owner;
    for (QWidget* parent : {static_cast<QWidget*>(nullptr), &owner}) {
        KXDIALOG dialog(resizeDialog, parent);
        const Qt::WindowFlags flags = dialog.windowFlags();
        EXPECT_EQ(dialog.windowType(), Qt::Dialog);
        EXPECT_EQ(dialog.parentWidget(), parent);
        // Without the customising flag the window manager puts on whatever buttons it likes.
        EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
    }
}

TEST(Dialog, ControlsExchangeTheirData)
{
    KXDIALOG dialog(vornDialog);
    EXPECT_EQ(dialog.GetRadioIndex(1017), -1) << "no radio checked at first";
    dialog.SetRadioIndex(1017, 1);
    EXPECT_EQ(dialog.GetRadioIndex(1017), 1);
    qobject_cast<QRadioButton*>(dialog.GetDlgItem(1017))->click();
    EXPECT_EQ(dialog.GetRadioIndex(1017), 0) << "the group's radios exclude each other";
    dialog.SetRadioIndex(1017, -1);
    EXPECT_EQ(dialog.GetRadioIndex(1017), -1);

    auto* slider = qobject_cast<QSlider*>(dialog.GetDlgItem(1015));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 100);
    dialog.SetSliderPos(1015, 90);
    EXPECT_EQ(dialog.GetSliderPos(1015), 90);

    dialog.SetDlgItemText(1018, "4");
    EXPECT_EQ(dialog.GetDlgItemText(1018), "4");

    auto* list = qobject_cast<QListWidget*>(dialog.GetDlgItem(1011));
    list->addItems({"b", "a"});
    EXPECT_EQ(list->item(0)->text(), "a") << "a sorted list box";
}

// Runs the resize dialog, presses key on the widget with id focusId, returns the result.
int RunAndPress(int key, int focusId)
{
    KXDIALOG dialog(resizeDialog);
    const MODALANSWER answering = WhenModal([&](QDialog*) {
        QWidget* target = dialog.GetDlgItem(focusId);
        target->setFocus();
        QTest::keyClick(target, static_cast<Qt::Key>(key));
    });
    return dialog.DoModal();
}

TEST(Dialog, EnterEndsAsOkAndEscapeAsCancel)
{
    EXPECT_EQ(RunAndPress(Qt::Key_Return, 1001), KXDIALOG::IDOK);
    EXPECT_EQ(RunAndPress(Qt::Key_Enter, 1002), KXDIALOG::IDOK);
    EXPECT_EQ(RunAndPress(Qt::Key_Escape, 1001), KXDIALOG::IDCANCEL);
    EXPECT_EQ(RunAndPress(Qt::Key_Return, 2), KXDIALOG::IDCANCEL) << "a focused button takes Enter";

    KXDIALOG dialog(resizeDialog);
    const MODALANSWER answering = WhenModal([](QDialog* shown) { shown->close(); });
    EXPECT_EQ(dialog.DoModal(), KXDIALOG::IDCANCEL) << "closing the window cancels";
}

// An answer lives as long as its guard: a dialog that opens after the guard's scope has
// ended is left alone, and nothing runs on with the answer's captures.
TEST(Dialog, ModalAnswerEndsWithTheScopeThatHoldsIt)
{
    bool answered = false;
    {
        const MODALANSWER answering = WhenModal([&answered](QDialog*) { answered = true; });
    }
    QDialog later;
    QTimer::singleShot(200, &later, [&later] { later.reject(); });
    EXPECT_EQ(later.exec(), QDialog::Rejected);
    EXPECT_FALSE(answered);
}

} // namespace
