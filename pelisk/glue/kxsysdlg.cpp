#include "kxsysdlg.h"

#include "kxqtsysdlg.h"

#include <climits>
#include <filesystem>
#include <utility>

namespace {

KXSYSDIALOGS* installed = nullptr;

bool HasExtension(const std::string& path)
{
    return std::filesystem::path(path).filename().string().find('.') != std::string::npos;
}

bool ChooseFile(std::string& path, const char* filter, bool save)
{
    path.clear();
    KXFILEREQUEST request;
    request.save = save;
    request.title = "Open...";
    request.filters = ParseFilterText(filter);
    request.filterIndex = 1;
    request.initialDirectory = ".";
    // Save as must be able to name a new file.
    request.mustExist = !save;
    // Every desktop's save dialog asks before it replaces a file.
    request.confirmOverwrite = save;
    KXFILEANSWER answer = GetSysDialogs().ChooseFile(request);
    if (!answer.confirmed || answer.path.empty())
        return false;
    if (save)
        answer.path = WithFilterExtension(answer.path, request.filters, answer.filterIndex);
    const std::string refusal = PathRefusal(answer.path);
    if (!refusal.empty()) {
        ShowError(("The chosen file cannot be used: " + refusal + ".").c_str());
        return false;
    }
    path = std::move(answer.path);
    return true;
}

} // namespace

std::string PathRefusal(const std::string& path)
{
    // PATH_MAX counts the terminating zero.
    if (path.size() >= PATH_MAX)
        return "its path is " + std::to_string(path.size()) +
               " characters long, and the system takes at most " + std::to_string(PATH_MAX - 1);
    for (const std::filesystem::path& name : std::filesystem::path(path)) {
        const std::size_t length = name.native().size();
        if (length > NAME_MAX)
            return "a name in its path is " + std::to_string(length) +
                   " characters long, and the system takes at most " + std::to_string(NAME_MAX);
    }
    return {};
}

std::string FilterExtension(const KXFILEFILTER& filter)
{
    const std::string first = filter.patterns.substr(0, filter.patterns.find(';'));
    if (!first.starts_with("*."))
        return {};
    const std::string extension = first.substr(1);
    if (extension.size() < 2 || extension.find_first_of("*?[", 1) != std::string::npos)
        return {};
    return extension;
}

std::string WithFilterExtension(const std::string& path, const std::vector<KXFILEFILTER>& filters,
                                int filterIndex)
{
    const int index = filterIndex - 1;
    if (HasExtension(path) || index < 0 || index >= static_cast<int>(filters.size()))
        return path;
    return path + FilterExtension(filters[static_cast<std::size_t>(index)]);
}

std::vector<KXFILEFILTER> ParseFilterText(const char* filter)
{
    std::vector<KXFILEFILTER> pairs;
    if (filter == nullptr)
        return pairs;
    for (const char* at = filter; *at != '\0';) {
        KXFILEFILTER pair;
        pair.description = at;
        at += pair.description.size() + 1;
        pair.patterns = at;
        if (pair.patterns.empty())
            break;
        at += pair.patterns.size() + 1;
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

KXSYSDIALOGS& GetSysDialogs()
{
    return installed != nullptr ? *installed : GetQtSysDialogs();
}

void SetSysDialogs(KXSYSDIALOGS* dialogs)
{
    installed = dialogs;
}

void ShowMessage(const char* text)
{
    GetSysDialogs().MessageBox(text, "Message");
}

void ShowError(const char* text)
{
    GetSysDialogs().MessageBox(text, "Pelisk error");
}

bool ChooseFileToOpen(std::string& path, const char* filter)
{
    return ChooseFile(path, filter, false);
}

bool ChooseFileToSave(std::string& path, const char* filter)
{
    return ChooseFile(path, filter, true);
}
