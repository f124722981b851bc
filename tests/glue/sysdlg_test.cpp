// Message boxes and file dialogs: the filter text, the requests the dialogs get, what
// the path buffer receives, and the toolkit's own dialogs driven like a person would.
#include "modal.h"
#include "scripted_dialogs.h"

#include "kxqtsysdlg.h"
#include "tempdir.h"

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <functional>

namespace {

// What the viewer builds with the bitmap loader as the only loader module.
const char bitmapOnly[] = "Any loadable image (bmp)\0*.bmp\0All (*.*)\0*.*\0Bitmap\0*.bmp\0\0";
const char twoImageLoaders[] = "Any loadable image (bmp, jpg)\0*.bmp;*.jpg\0All (*.*)\0*.*\0"
                               "Bitmap\0*.bmp\0Jpeg\0*.jpg\0\0";
const char saveFilter[] = "Bitmap\0*.bmp\0\0";

TEST(Filters, FilterTextsBecomeTheToolkitsNameFilters)
{
    const struct {
        const char* text;
        QStringList expected;
    } cases[] = {
        {bitmapOnly, {"Any loadable image (bmp) (*.bmp)", "All (*.*)", "Bitmap (*.bmp)"}},
        {twoImageLoaders,
         {"Any loadable image (bmp, jpg) (*.bmp *.jpg)", "All (*.*)", "Bitmap (*.bmp)",
          "Jpeg (*.jpg)"}},
        {saveFilter, {"Bitmap (*.bmp)"}},
        {"", {}},
        {"Truncated\0\0", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtNameFilters(ParseFilterText(c.text)), c.expected) << c.text;
}

TEST(SysDialogs, ShowMessageAsksForABoxCaptionedMessage)
{
    SCRIPTEDDIALOGS script;
    ShowMessage("Unloadable file");
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Unloadable file");
    EXPECT_EQ(script.messages[0].caption, "Message");
}

TEST(SysDialogs, BothFileDialogsAreTitledOpenAndStartAtTheFirstFilter)
{
    SCRIPTEDDIALOGS script;
    std::string path = "left over";
    EXPECT_FALSE(ChooseFileToOpen(path, bitmapOnly)) << "the script cancels";
    EXPECT_EQ(path, "");
    EXPECT_FALSE(ChooseFileToSave(path, saveFilter));

    ASSERT_EQ(script.requests.size(), 2u);
    const KXFILEREQUEST& open = script.requests[0];
    const KXFILEREQUEST& save = script.requests[1];
    EXPECT_FALSE(open.save);
    EXPECT_TRUE(open.mustExist);
    EXPECT_TRUE(save.save);
    EXPECT_FALSE(save.mustExist) << "Save as must be able to name a new file";
    EXPECT_FALSE(open.confirmOverwrite);
    EXPECT_TRUE(save.confirmOverwrite) << "Save as asks before it replaces a file";
    for (const KXFILEREQUEST& request : script.requests) {
        EXPECT_EQ(request.title, "Open...");
        EXPECT_EQ(request.initialDirectory, ".");
        EXPECT_EQ(request.filterIndex, 1);
    }
    ASSERT_EQ(open.filters.size(), 3u);
    EXPECT_EQ(open.filters[2].description, "Bitmap");
    EXPECT_EQ(open.filters[2].patterns, "*.bmp");
}

// A path made of names of 200 characters, as long as asked.
std::string LongPath(std::size_t length)
{
    std::string path;
    while (path.size() < length)
        path += std::string(std::min<std::size_t>(200, length - path.size()), 'p') + "/";
    path.resize(length);
    if (path.back() == '/')
        path.back() = 'q';
    return path;
}

TEST(SysDialogs, ChosenPathsOfAnyLengthTheSystemTakesFillThePath)
{
    const struct {
        const char* what;
        bool save;
        KXFILEANSWER answer;
        bool confirmed;
        std::string path;
    } cases[] = {
        {"open", false, {true, "dir/picture.bmp", 1}, true, "dir/picture.bmp"},
        {"open keeps a name as typed", false, {true, "dir/picture", 3}, true, "dir/picture"},
        {"save adds the filter's extension",
         true,
         {true, "dir.x/picture", 1},
         true,
         "dir.x/picture.bmp"},
        {"save keeps an extension", true, {true, "picture.BMP", 1}, true, "picture.BMP"},
        {"save adds none for All", true, {true, "picture", 2}, true, "picture"},
        {"cancelled", true, {false, "picture.bmp", 1}, false, ""},
        {"a path of 260", false, {true, LongPath(260), 1}, true, LongPath(260)},
        {"a path of 1000", false, {true, LongPath(1000), 1}, true, LongPath(1000)},
        {"a long path extended", true, {true, LongPath(257), 1}, true, LongPath(257) + ".bmp"},
        {"the longest path",
         false,
         {true, LongPath(PATH_MAX - 1), 1},
         true,
         LongPath(PATH_MAX - 1)},
        {"the longest name",
         false,
         {true, "dir/" + std::string(NAME_MAX, 'n'), 1},
         true,
         "dir/" + std::string(NAME_MAX, 'n')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SCRIPTEDDIALOGS script;
        script.Answer(c.answer);
        std::string path = "left over";
        const char* filter = c.save ? "Bitmap\0*.bmp\0All (*.*)\0*.*\0\0" : bitmapOnly;
        const bool confirmed =
            c.save ? ChooseFileToSave(path, filter) : ChooseFileToOpen(path, filter);
        EXPECT_EQ(confirmed, c.confirmed);
        EXPECT_EQ(path, c.path);
        EXPECT_TRUE(script.messages.empty());
    }
}

// A path the system cannot open or create is refused, and the user is told why.
TEST(SysDialogs, PathTheSystemCannotUseIsToldAndLeftEmpty)
{
    const struct {
        const char* what;
        bool save;
        std::string chosen;
        const char* reason;
    } cases[] = {
        {"a path too long", false, LongPath(PATH_MAX), "characters long"},
        {"too long once extended", true, LongPath(PATH_MAX - 2), "characters long"},
        {"a name too long", false, "dir/" + std::string(NAME_MAX + 1, 'n') + "/picture.bmp",
         "a name in its path"},
        {"a saved name too long once extended", true, std::string(NAME_MAX - 1, 'n'),
         "a name in its path"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SCRIPTEDDIALOGS script;
        script.Answer({true, c.chosen, 1});
        std::string path = "left over";
        EXPECT_FALSE(c.save ? ChooseFileToSave(path, saveFilter)
                            : ChooseFileToOpen(path, bitmapOnly));
        EXPECT_EQ(path, "");
        ASSERT_EQ(script.messages.size(), 1u);
        EXPECT_EQ(script.messages[0].caption, "Pelisk error");
        EXPECT_TRUE(script.messages[0].text.starts_with("The chosen file cannot be used: "))
            << script.messages[0].text;
        EXPECT_NE(script.messages[0].text.find(c.reason), std::string::npos)
            << script.messages[0].text;
    }
}

TEST(QtDialogs, FileDialogIsSetUpFromTheRequest)
{
    KXFILEREQUEST request;
    request.title = "Open...";
    request.filters = ParseFilterText(bitmapOnly);
    request.initialDirectory = ".";
    request.mustExist = true;
    QFileDialog open;
    ConfigureFileDialog(open, request);
    EXPECT_EQ(open.windowTitle(), "Open...");
    EXPECT_EQ(open.nameFilters(), QtNameFilters(request.filters));
    EXPECT_EQ(open.selectedNameFilter(), "Any loadable image (bmp) (*.bmp)");
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open.directory().absolutePath(), QDir::current().absolutePath());
    EXPECT_EQ(open.windowModality(), Qt::ApplicationModal);

    EXPECT_TRUE(open.testOption(QFileDialog::DontConfirmOverwrite));

    request.save = true;
    request.mustExist = false;
    request.confirmOverwrite = true;
    request.filters = ParseFilterText("Bitmap\0*.bmp\0All (*.*)\0*.*\0\0");
    QFileDialog save;
    ConfigureFileDialog(save, request);
    EXPECT_EQ(save.fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));
    // The selected filter's extension goes to a name typed without one.
    EXPECT_EQ(save.defaultSuffix(), "bmp");
    save.selectNameFilter("All (*.*)");
    emit save.filterSelected("All (*.*)");
    EXPECT_EQ(save.defaultSuffix(), "");
}

// A save dialog asks before it replaces a file, also one named without its extension;
// a no saves nothing.
TEST(SysDialogs, ScriptedSaveDialogAsksBeforeReplacingAFile)
{
    ScopedTempDir dir;
    dir.Enter();
    std::ofstream("there.bmp") << "x";
    const struct {
        const char* what;
        std::string typed;
        std::vector<bool> replies;
        bool confirmed;
        std::string path;
        std::vector<std::string> asked;
    } cases[] = {
        {"a new file", "new.bmp", {}, true, "new.bmp", {}},
        {"replace: yes", "there.bmp", {true}, true, "there.bmp", {"there.bmp"}},
        {"replace: no", "there.bmp", {false}, false, "", {"there.bmp"}},
        {"without its extension", "there", {false}, false, "", {"there.bmp"}},
    };
    for (const auto& c : cases) {
        SCRIPTEDDIALOGS script;
        script.Answer({true, c.typed, 1});
        for (bool reply : c.replies)
            script.AnswerReplace(reply);
        std::string path = "left over";
        EXPECT_EQ(ChooseFileToSave(path, saveFilter), c.confirmed) << c.what;
        EXPECT_EQ(path, c.path) << c.what;
        EXPECT_EQ(script.replaceQuestions, c.asked) << c.what;
    }
}

TEST(QtDialogs, PatternsMatchNamesOfAnyCase)
{
    ScopedTempDir dir;
    for (const char* name : {"lower.bmp", "UPPER.BMP", "other.txt"})
        std::ofstream(dir.Path() / name) << "x";
    KXFILEREQUEST request;
    request.filters = ParseFilterText(saveFilter);
    request.initialDirectory = dir.Path().string();
    QFileDialog dialog;
    ConfigureFileDialog(dialog, request);
    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    const QString root = QString::fromStdString(dir.Path().string());
    const auto listed = [&] {
        QStringList names;
        const QModelIndex parent = model->index(root);
        for (int row = 0; row < model->rowCount(parent); ++row)
            names << model->index(row, 0, parent).data().toString();
        names.sort();
        return names;
    };
    const QStringList expected{"UPPER.BMP", "lower.bmp"};
    // The listing arrives from a thread of the model.
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == expected; }, 5000))
        << listed().join(", ").toStdString();
}

TEST(QtDialogs, MessageBoxIsModalWithOnlyOkAndEndsOnEnter)
{
    bool seen = false;
    const MODALANSWER answering = WhenModal([&](QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->windowTitle(), "Message");
        EXPECT_EQ(box->text(), "No properties available");
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    ShowMessage("No properties available");
    EXPECT_TRUE(seen);
}

TEST(QtDialogs, MessageBoxWithAShortTextKeepsRoomForItsCaption)
{
    for (const char* text : {"Unloadable file", "OK"}) {
        int width = 0;
        int room = 0;
        const MODALANSWER answering = WhenModal([&](QDialog* dialog) {
            width = dialog->width();
            room = CaptionRoom(dialog->windowTitle(), dialog->font());
            dialog->done(QMessageBox::Ok);
        });
        GetQtSysDialogs().MessageBox(text, "Pelisk error");
        EXPECT_GT(room, 100);
        EXPECT_GE(width, room) << text;
    }
}

TEST(QtDialogs, OpenDialogHandsTheChosenFileOver)
{
    ScopedTempDir dir;
    dir.Enter();
    std::ofstream("chosen.bmp") << "x";
    const MODALANSWER answering = WhenModal([](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->windowTitle(), "Open...");
        // Typed, not selected: selecting waits for the dialog's listing of the folder,
        // which comes from another thread and may not be there yet on a busy machine.
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText("chosen.bmp");
        dialog->accept(); // QFileDialog::accept, as the Open button does
    });
    std::string path;
    EXPECT_TRUE(ChooseFileToOpen(path, bitmapOnly));
    EXPECT_EQ(std::filesystem::path(path), std::filesystem::current_path() / "chosen.bmp");
}

// Answers the message box that dialog opens, once it is up; the poll ends with the
// dialog, whether or not a box came.
void WhenBoxOver(QDialog* dialog, std::function<void(QMessageBox*)> answer)
{
    auto* poll = new QTimer(dialog);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        poll->stop();
        answer(box);
    });
    poll->start();
}

// The toolkit's save dialog asks before replacing a file, also one typed without its
// extension: after a no it stays open (and is cancelled here), after a yes it hands the
// file over.
TEST(QtDialogs, SaveDialogAsksBeforeReplacingAFile)
{
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "yes" : "no");
        ScopedTempDir dir;
        dir.Enter();
        std::ofstream("there.bmp") << "x";
        bool asked = false;
        const MODALANSWER answering = WhenModal([&](QDialog* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            ASSERT_NE(files, nullptr);
            WhenBoxOver(dialog, [&](QMessageBox* box) {
                asked = true;
                EXPECT_TRUE(box->text().contains("there.bmp")) << box->text().toStdString();
                box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            // Typed as a person types it, without the extension.
            auto* name = files->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText("there");
            dialog->accept(); // the Save button: the question comes up inside
            if (dialog->isVisible())
                dialog->reject();
        });
        std::string path = "left over";
        EXPECT_EQ(ChooseFileToSave(path, saveFilter), replace);
        EXPECT_TRUE(asked);
        if (replace)
            EXPECT_EQ(std::filesystem::path(path), std::filesystem::current_path() / "there.bmp");
        else
            EXPECT_EQ(path, "");
    }
}

TEST(QtDialogs, CancelledOpenDialogLeavesAnEmptyPath)
{
    const MODALANSWER answering = WhenModal([](QDialog* dialog) { dialog->reject(); });
    std::string path = "left over";
    EXPECT_FALSE(ChooseFileToOpen(path, bitmapOnly));
    EXPECT_EQ(path, "");
}

} // namespace
