// System dialogs answered by a script: what each dialog was asked is recorded, and the
// answers are given in order (an unexpected file dialog is cancelled).
#pragma once

#include "kxsysdlg.h"

#include <deque>
#include <functional>
#include <string>
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
        return answer;
    }

    std::vector<MESSAGE> messages;
    // Runs while each box would be open.
    std::function<void(const MESSAGE&)> onMessage;
    std::vector<KXFILEREQUEST> requests;

private:
    std::deque<KXFILEANSWER> answers;
};
