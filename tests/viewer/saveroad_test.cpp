// Save as when it cannot save: the user learns which file was not saved and why, and the
// file it was to replace keeps its bytes; and Save as asks before it replaces a file.
#include "viewer_support.h"

#include "filesizelimit.h"
#include "resource.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace {

using SaveRoadTest = ViewerTest;

std::string TextOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(SaveRoadTest, FailedSavesSayWhichFileWasNotSavedAndWhy)
{
    const std::string precious = "precious bytes";
    const struct {
        const char* what;
        bool pictureShown;
        const char* name;
        std::function<void()> prepare;
        std::size_t sizeLimit; // 0: none
        const char* reason;
    } cases[] = {
        {"the disk fills up", true, "precious.bmp", [] {}, 40, "the disk is full"},
        {"a read-only file", true, "precious.bmp", [] { chmod("precious.bmp", 0444); }, 0,
         "there is no permission to write it"},
        {"a type no loader writes", true, "precious.png", [] {}, 0,
         "no loader writes files of that type"},
        {"nothing shown", false, "precious.bmp", [] {}, 0, "there is nothing to save"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(c.name, std::ios::binary) << precious;
        c.prepare();
        dialogs.messages.clear();
        dialogs.AnswerReplace(true);
        CMainDlg dialog;
        Run(dialog, c.pictureShown ? picturePath : "", [&](CMainDlg& shown) {
            dialogs.Answer({true, PathOf(c.name), 1});
            std::optional<FILESIZELIMIT> limit;
            if (c.sizeLimit > 0)
                limit.emplace(c.sizeLimit);
            shown.OnCommand(ID_FILE_SAVEAS);
        });
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text,
                  "\"" + PathOf(c.name) + "\" was not saved: " + c.reason + ".");
        EXPECT_EQ(dialogs.messages[0].caption, "Pelisk error");
        EXPECT_EQ(TextOf(c.name), precious) << "the file it was to replace changed";
        chmod(c.name, 0644);
    }
}

// Replacing a file is asked first: no leaves it as it was, yes replaces it, and neither
// says anything more.
TEST_F(SaveRoadTest, SaveAsAsksBeforeReplacingAFile)
{
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "yes" : "no");
        std::ofstream("there.bmp") << "old";
        dialogs.AnswerReplace(replace);
        CMainDlg dialog;
        Run(dialog, picturePath, [&](CMainDlg& shown) {
            dialogs.Answer({true, PathOf("there"), 1});
            shown.OnCommand(ID_FILE_SAVEAS);
        });
        EXPECT_TRUE(dialogs.messages.empty());
        ASSERT_EQ(dialogs.replaceQuestions.size(), replace ? 2u : 1u);
        EXPECT_EQ(dialogs.replaceQuestions.back(), PathOf("there.bmp"));
        if (replace)
            EXPECT_EQ(QImage(QString::fromStdString(PathOf("there.bmp")), "BMP").size(),
                      QSize(4, 2));
        else
            EXPECT_EQ(TextOf("there.bmp"), "old");
    }
}

} // namespace
