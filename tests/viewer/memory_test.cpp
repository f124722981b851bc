// The viewer when memory runs out in its own code: one allocation fails at a time on the
// roads of a session (start, open, paint, the commands and their dialogs, the mouse and
// the keys, save), and every failure ends in a told refusal with the picture kept, never
// in an abort; the picture's file is never touched. A picture that loaded but whose
// display copy cannot be made is told and shows the empty state, and stays loaded.
#include "viewer_support.h"

#include "failnth.h"
#include "modal.h"

#include "kxdialog.h"
#include "resource.h"
#include "vorn.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <sys/wait.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

namespace {

// The system dialogs answered by a script, as SCRIPTEDDIALOGS does, with the test's own
// bookkeeping kept out of the count of allocations.
class PAUSINGDIALOGS final : public KXSYSDIALOGS {
public:
    PAUSINGDIALOGS()
    {
        messages.reserve(64);
        SetSysDialogs(this);
    }
    ~PAUSINGDIALOGS() { SetSysDialogs(nullptr); }
    PAUSINGDIALOGS(const PAUSINGDIALOGS&) = delete;
    PAUSINGDIALOGS& operator=(const PAUSINGDIALOGS&) = delete;

    void MessageBox(const char* text, const char* caption) override
    {
        const FAILPAUSE paused;
        messages.push_back({text, caption});
    }

    KXFILEANSWER ChooseFile(const KXFILEREQUEST&) override
    {
        const FAILPAUSE paused;
        if (answers.empty())
            return {};
        KXFILEANSWER answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<SCRIPTEDDIALOGS::MESSAGE> messages;
    std::deque<KXFILEANSWER> answers;
};

std::vector<char> Contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The menu item of the command, wherever it stands in the menu bar.
QAction* FindCommand(QWidget* menu, unsigned id)
{
    for (QAction* action : menu->actions()) {
        if (action->menu() != nullptr) {
            if (QAction* found = FindCommand(action->menu(), id))
                return found;
        } else if (!action->isSeparator() && action->data().toUInt() == id) {
            return action;
        }
    }
    return nullptr;
}

class MemoryTest : public ViewerTest {
protected:
    // Chooses the command in the menus, as a click on its item does.
    static void Choose(CMainDlg& shown, unsigned id)
    {
        QAction* item = nullptr;
        {
            const FAILPAUSE paused;
            item = FindCommand(shown.GetMenuBar(), id);
            ASSERT_NE(item, nullptr) << id;
        }
        item->trigger();
    }

    // Chooses the command, and answer clicks in the dialog it opens, if it opens.
    static void ChooseAndAnswer(CMainDlg& shown, unsigned id,
                                const std::function<void(KXDIALOG&)>& answer)
    {
        std::optional<MODALANSWER> answering;
        {
            const FAILPAUSE paused;
            answering.emplace([&answer](QDialog* dialog) {
                if (auto* box = dynamic_cast<KXDIALOG*>(dialog))
                    answer(*box);
                if (dialog->isVisible())
                    dialog->done(KXDIALOG::IDCANCEL);
            });
        }
        Choose(shown, id);
        const FAILPAUSE paused;
        answering.reset();
    }

    static void PressOk(KXDIALOG& dialog)
    {
        qobject_cast<QPushButton*>(dialog.GetDlgItem(KXDIALOG::IDOK))->click();
    }

    // Paints the picture control now, as the toolkit does when the window is shown.
    static void Paint(CPictureCtrl& control)
    {
        control.Invalidate();
        control.GetWidget()->repaint();
    }

    // One session of the viewer, with allocation n of its own code failing (none for 0):
    // start, open the picture, paint, and every command road. Returns whether the
    // dialog could be built and run; false when memory ran out while it started.
    bool Session(int n)
    {
        CMainDlg* running = nullptr;
        std::optional<MODALANSWER> answering;
        {
            const FAILPAUSE paused;
            answers.messages.clear();
            answers.answers = {{true, picturePath, 1}, {true, PathOf("copy.bmp"), 1}};
            answering.emplace([this, &running](QDialog* shownDialog) {
                if (shownDialog == running)
                    Walk(*running);
            });
        }
        std::optional<FAILNTH> failing;
        failing.emplace(n, false, FAILWHERE::OWNCODE);
        bool started = true;
        try {
            CMainDlg dialog;
            running = &dialog;
            dialog.RunWithCommandLine("");
        } catch (const std::bad_alloc&) {
            // In the program, PeliskMain ends here with one line and status 1.
            started = false;
        }
        reached = FAILNTH::Reached();
        counted = FAILNTH::Counted();
        failing.reset();
        const FAILPAUSE paused;
        answering.reset();
        return started;
    }

    // The roads walked while the window is shown.
    void Walk(CMainDlg& shown)
    {
        CPictureCtrl& control = shown.GetPictureCtrl();
        Paint(control);
        Choose(shown, ID_FILE_OPEN);
        Paint(control);
        Choose(shown, ID_IMAGE_VFLIP);
        Choose(shown, ID_IMAGE_DOUBLESIZEBLUR);
        ChooseAndAnswer(shown, ID_IMAGE_RESIZE, [](KXDIALOG& resize) {
            resize.SetDlgItemText(IDC_RESIZE_WIDTH, "16");
            resize.SetDlgItemText(IDC_RESIZE_HEIGHT, "6");
            PressOk(resize);
        });
        ChooseAndAnswer(shown, ID_EDIT_PROPERTIES, [](KXDIALOG& properties) {
            properties.done(KXDIALOG::IDOK);
        });
        ChooseAndAnswer(shown, ID_PROJECT_VORN, [](KXDIALOG& vorn) {
            vorn.SetRadioIndex(IDC_VORN_DOTS, 1);
            vorn.SetDlgItemText(IDC_VORN_GENES, "4");
            PressOk(vorn);
        });
        QWidget* widget = control.GetWidget();
        QTest::mouseClick(widget, Qt::LeftButton, {}, {widget->width() / 3, widget->height() / 2});
        QTest::mouseMove(widget, {widget->width() / 2, widget->height() / 2});
        QTest::keyClick(widget, Qt::Key_Z);
        Paint(control);
        Choose(shown, ID_MODE_ZOOM);
        Choose(shown, ID_FILE_SAVEAS);
        ChooseAndAnswer(shown, ID_HELP_ABOUT, [](KXDIALOG& about) { about.done(KXDIALOG::IDOK); });
        shown.OnCancel();
    }

    void SetUp() override
    {
        ViewerTest::SetUp();
        original = Contents(picturePath);
    }

    void TearDown() override { ResetVorn(); }

    PAUSINGDIALOGS answers;
    std::vector<char> original;
    bool reached = false;
    int counted = 0;
};

TEST_F(MemoryTest, EveryAllocationThatFailsIsToldAndThePictureKept)
{
    // A session that never fails counts its allocations.
    ASSERT_TRUE(Session(INT_MAX));
    ASSERT_TRUE(answers.messages.empty()) << answers.messages[0].text;
    const int total = counted;
    ASSERT_GT(total, 100) << "the session's own allocations";
    ASSERT_FALSE(Contents(PathOf("copy.bmp")).empty()) << "the session saved";

    int told = 0;
    int absorbed = 0;
    int startsRefused = 0;
    const auto begin = std::chrono::steady_clock::now();
    for (int n = 1; n <= total; ++n) {
        SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(total));
        std::remove(PathOf("copy.bmp").c_str());
        const bool started = Session(n);
        if (!reached)
            continue;
        if (!started) {
            ++startsRefused;
            continue;
        }
        EXPECT_EQ(Contents(picturePath), original) << "the picture's file was touched";
        if (answers.messages.empty()) {
            // A failure the library absorbed as its own refusal without a word (a plug-in
            // scan that finds no object loader) may cost nothing the user sees: then the
            // whole session came through, down to the saved copy.
            EXPECT_FALSE(Contents(PathOf("copy.bmp")).empty()) << "a failure nobody was told of";
            ++absorbed;
            continue;
        }
        ++told;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    std::printf("%d allocations: %d refusals told, %d start-ups refused, %d absorbed, %.1f s\n",
                total, told, startsRefused, absorbed, took.count());
    EXPECT_GT(told, 0);
    EXPECT_GT(startsRefused, 0);
}

} // namespace

namespace {

// A picture that loaded but whose display copy cannot be made: told with its size, the
// control shows its empty state and not the text of the loading, and the picture stays
// loaded: its properties are listed and Save as writes it.
TEST_F(MemoryTest, DisplayCopyThatCannotBeMadeIsToldWithThePictureKept)
{
    const std::string refusal = "The picture cannot be shown: there is not enough memory for "
                                "its display copy of 4 x 2 pixels. It stays open: Edit, "
                                "Properties and File, Save as still work.";
    // Save as takes a copy of what is shown before the writer converts the picture.
    const struct {
        const char* road;
        unsigned command;
        const char* answer; // the file the command's dialog is given; null: the picture
    } roads[] = {{"open", ID_FILE_OPEN, nullptr},
                 {"flip", ID_IMAGE_VFLIP, nullptr},
                 {"save", ID_FILE_SAVEAS, "saved.bmp"}};
    for (const auto& r : roads) {
        SCOPED_TRACE(r.road);
        CMainDlg dialog;
        Run(dialog, "", [&](CMainDlg& shown) {
            CPictureCtrl& control = shown.GetPictureCtrl();
            if (r.command != ID_FILE_OPEN) {
                answers.answers = {{true, picturePath, 1}};
                Choose(shown, ID_FILE_OPEN);
                ASSERT_NE(control.m_hDIB, nullptr);
            }
            // The failures of the command's allocations, one at a time, until the section
            // is the one refused.
            bool refused = false;
            for (int n = 1; n <= 40 && !refused; ++n) {
                answers.messages.clear();
                const std::string answer = r.answer != nullptr ? PathOf(r.answer) : picturePath;
                answers.answers = {{true, answer, 1}};
                {
                    const FAILNTH failing(n, false, FAILWHERE::OWNCODE);
                    Choose(shown, r.command);
                }
                refused = !answers.messages.empty() && answers.messages[0].text == refusal;
            }
            ASSERT_TRUE(refused);
            ASSERT_EQ(answers.messages.size(), 1u);
            EXPECT_EQ(answers.messages[0].caption, "Pelisk error");
            EXPECT_EQ(control.m_nDisplayMode, DISPLAY_PICTURE);
            EXPECT_EQ(control.m_hDIB, nullptr);
            // Every pixel dark blue: neither the picture nor the text of the loading.
            EXPECT_EQ(PixelAt(control, 0, 0), ToRgb(kDarkBlue));
            kxgdi::HDC dc = kxgdi::GetDC(control.GetSafeHwnd());
            int others = 0;
            for (int y = 0; y < control.GetWidget()->height(); ++y)
                for (int x = 0; x < control.GetWidget()->width(); ++x)
                    others += kxgdi::GetPixel(dc, x, y) != kDarkBlue;
            kxgdi::ReleaseDC(control.GetSafeHwnd(), dc);
            EXPECT_EQ(others, 0);

            QString title;
            ChooseAndAnswer(shown, ID_EDIT_PROPERTIES, [&title](KXDIALOG& properties) {
                title = properties.windowTitle();
                properties.done(KXDIALOG::IDOK);
            });
            EXPECT_EQ(title, "Picture properties");
            answers.answers = {{true, PathOf("kept.bmp"), 1}};
            Choose(shown, ID_FILE_SAVEAS);
            const QImage kept(QString::fromStdString(PathOf("kept.bmp")));
            ASSERT_EQ(kept.size(), QSize(4, 2));
            // Flipped once on the flip road.
            const int top = r.command == ID_IMAGE_VFLIP ? 1 : 0;
            EXPECT_EQ(kept.pixel(0, 0), kPicture[top][0]);
            EXPECT_EQ(kept.pixel(3, 1), kPicture[1 - top][3]);
            // With memory again, the next command shows the picture.
            Choose(shown, ID_IMAGE_VFLIP);
            EXPECT_EQ(CellShown(control, 0, 0), kPicture[1 - top][0]);
        });
    }
}

// Memory that runs out while the program starts ends it with one line on standard error
// and a status that is not 0: the program, run with its allocations failing from one of
// the first on.
TEST_F(MemoryTest, StartThatRunsOutOfMemoryEndsWithOneLineAndStatusOne)
{
    const std::string errors = PathOf("errors.txt");
    for (int n : {1, 2, 5, 13, 34, 55}) {
        SCOPED_TRACE("allocation " + std::to_string(n));
        // Under the sanitizers, the leak checker's list of what it suppressed would be a
        // second line.
        const std::string command = "ASAN_OPTIONS=\"$ASAN_OPTIONS:print_suppressions=0\" "
                                    "PELISK_FAIL_AT=" + std::to_string(n) +
                                    " QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR='" +
                                    dir.Path().string() + "' timeout 10 '" PELISK_FAILSTART
                                    "' 2>'" + errors + "' >/dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        const std::vector<char> text = Contents(errors);
        EXPECT_EQ(std::string(text.begin(), text.end()),
                  "Pelisk: there is not enough memory to start.\n");
    }
}

} // namespace
