// System dialogs answered by a script: what each dialog was asked is recorded, and the
// answers are given in order (an unexpected file dialog is cancelled). A save dialog that
// is to confirm replacing a file asks, as the toolkit's does, when the file it ends with
// exists: the script's replace answers say yes or no in order (no when none is left),
// and a no cancels the dialog.
#pragma once

#include "kxsysdlg.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

class SCRIPTEDDIALOGS final : public KXSYSDIALOGS {
public:
    struct MESSAGE {
        std::string text;
        std::string caption;
    };

    SCRIPTEDDIALOGS() { SetSysDialogs(this); }
    ~SCRIPTEDDIALOGS() { SetSysDialogs(nullptr); }
    SCRIPTEDDIALOGS(const SCRIPTEDDIALOGS&) = delete;
    SCRIPTEDDIALOGS& operator=(const SCRIPTEDDIALOGS&) = delete;

    void Answer(KXFILEANSWER answer) { answers.push_back(std::move(answer)); }
    void AnswerReplace(bool replace) { replaceAnswers.push_back(replace); }

    void MessageBox(const char* text, const char* caption) override
    {
        messages.push_back({text, caption});
        if (onMessage)
            onMessage(messages.back());
    }

    KXFILEANSWER ChooseFile(const KXFILEREQUEST& request) override
    {
        requests.push_back(request);
        if (answers.empty())
            return {};
        KXFILEANSWER answer = answers.front();
        answers.pop_front();
        if (answer.confirmed && request.confirmOverwrite && !AgreesToReplace(request, answer))
            return {};
        return answer;
    }

    std::vector<MESSAGE> messages;
    // Runs while each box would be open.
    std::function<void(const MESSAGE&)> onMessage;
    std::vector<KXFILEREQUEST> requests;
    // The files a save dialog asked about replacing.
    std::vector<std::string> replaceQuestions;

private:
    bool AgreesToReplace(const KXFILEREQUEST& request, const KXFILEANSWER& answer)
    {
        const std::string path =
            WithFilterExtension(answer.path, request.filters, answer.filterIndex);
        std::error_code unreadable;
        if (!std::filesystem::exists(path, unreadable))
            return true;
        replaceQuestions.push_back(path);
        const bool replace = !replaceAnswers.empty() && replaceAnswers.front();
        if (!replaceAnswers.empty())
            replaceAnswers.pop_front();
        return replace;
    }

    std::deque<KXFILEANSWER> answers;
    std::deque<bool> replaceAnswers;
};
