// The main dialog's file road: the open and save filters built from the loader modules,
// and the loading and saving through the picture control's loader sets.
#include "maindlg.h"

#include "resource.h"

#include "kxsysdlg.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace {

// The filter texts are pairs of NUL-terminated strings, ended by an empty one.
constexpr int kFilterRoom = 500;

void AppendField(KXSTRING& out, const KXSTRING& entry, int field)
{
    KXSTRING text;
    entry.GetField(text, field, '|');
    out += text;
}

// One module's pair of a filter text: its filter name, then the pattern of its extension.
void AppendModulePair(KXSTRING& out, const KXSTRING& entry)
{
    AppendField(out, entry, 0);
    out += '\0';
    out += "*.";
    AppendField(out, entry, 1);
    out += '\0';
}

void DropLast(KXSTRING& text, int n)
{
    text.Delete(text.GetLength() - n, text.GetLength());
}

void ShowNoLoaders()
{
    ShowError("No loading modules available");
}

// Why a save failed, in plain words: what is shown, the loaders, or the system's reason
// (errno, as the loader's last call left it); empty when nothing tells.
std::string SaveFailure(bool somethingShown, bool hasWriter, int error)
{
    if (!somethingShown)
        return "there is nothing to save";
    if (!hasWriter)
        return "no loader writes files of that type";
    switch (error) {
    case 0:
        return {};
    case EACCES:
    case EPERM:
    case EROFS:
        return "there is no permission to write it";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "the disk is full";
    case ENOENT:
    case ENOTDIR:
        return "its folder does not exist";
    case EISDIR:
        return "a folder has that name";
    default:
        return std::strerror(error);
    }
}

} // namespace

std::uint16_t CMainDlg::AppendLoaderFilters(KXCOLLECTION<KXSTRING>& list, KXSTRING& header,
                                            KXSTRING& modulePairs)
{
    modulePairs = "";
    KXSTRING patterns;
    const int count = list.GetCount();
    for (int i = 0; i < count; ++i) {
        const KXSTRING& entry = list[i];
        AppendModulePair(modulePairs, entry);
        AppendField(header, entry, 1);
        header += ", ";
        patterns += "*.";
        AppendField(patterns, entry, 1);
        patterns += ';';
    }
    if (count > 0) {
        DropLast(patterns, 1);
        DropLast(header, 2);
        header += ")";
        header += '\0';
        header += patterns;
    }
    return static_cast<std::uint16_t>(count);
}

std::uint16_t CMainDlg::BuildOpenFilter(KXSTRING& filter)
{
    filter = "";
    filter.Grow(kFilterRoom);
    KXSTRING headers[3] = {"Any loadable image (", "Any loadable object (", "Any loadable world ("};
    KXCOLLECTION<KXSTRING>* lists[3] = {&m_imageFilters, &m_objectFilters, &m_worldFilters};
    KXSTRING groupPairs[3];
    std::uint16_t counts[3];
    for (int group = 0; group < 3; ++group)
        counts[group] = AppendLoaderFilters(*lists[group], headers[group], groupPairs[group]);

    KXSTRING modulePairs;
    for (int group = 0; group < 3; ++group) {
        if (counts[group] == 0)
            continue;
        filter += headers[group];
        filter += '\0';
        modulePairs += groupPairs[group];
    }
    filter += "All (*.*)";
    filter += '\0';
    filter += "*.*";
    filter += '\0';
    filter += modulePairs;
    filter += '\0';
    filter += '\0';
    return static_cast<std::uint16_t>(counts[0] + counts[1] + counts[2]);
}

void CMainDlg::OnFileOpen()
{
    std::string path;
    KXSTRING filter(kFilterRoom);
    if (BuildOpenFilter(filter) == 0) {
        ShowNoLoaders();
        return;
    }
    ChooseFileToOpen(path, filter.GetText());
    const KXSTRING chosen(path.c_str());
    if (chosen == "")
        return;
    LoadFile(chosen);
    m_picture.Invalidate();
}

void CMainDlg::OnFileSaveAs()
{
    const int count = m_imageFilters.GetCount();
    if (count == 0) {
        ShowNoLoaders();
        return;
    }
    KXSTRING filter(kFilterRoom);
    for (int i = 0; i < count; ++i)
        AppendModulePair(filter, m_imageFilters[i]);
    filter += '\0';
    std::string path;
    ChooseFileToSave(path, filter.GetText());
    const KXSTRING chosen(path.c_str());
    if (!(chosen == ""))
        SaveFile(chosen);
}

bool CMainDlg::LoadFile(const KXSTRING& path)
{
    CPictureCtrl& control = m_picture;
    // A loader may take the picture's pixels for the new file's, or free them, and a file
    // it refuses leaves the control showing what it showed.
    control.KeepDisplayCopy();
    control.m_nDisplayMode = DISPLAY_STATUS;
    control.m_status = "Loading from file...";
    // Loading blocks the window: the text must show before it starts.
    control.RedrawNow();

    if (control.m_picture.GetLoaderSet().LoadFile(path.GetText())) {
        control.m_nDisplayMode = DISPLAY_PICTURE;
        control.BuildDIB();
        return true;
    }
    if (control.m_object.GetLoaderSet().LoadFile(path.GetText())) {
        control.m_camera.GetPosition().Set(-1.0, 0.0, 1.0);
        control.m_camera.LookAt(0.0, 0.0, 0.0);
        control.m_camera.SetFocal(45.0);
        control.m_world.AddCamera(&control.m_camera);
        control.m_world.AddObject(&control.m_object);
        control.m_nDisplayMode = DISPLAY_OBJECT;
        if (m_pRenderer != nullptr)
            control.m_world.Render();
        return true;
    }
    if (control.m_world.GetLoaderSet().LoadFile(path.GetText())) {
        if (m_pRenderer == nullptr) {
            control.m_nDisplayMode = DISPLAY_ASKRENDERER;
            control.m_status = "Please select a renderer";
            control.RedrawNow();
        }
        control.m_nDisplayMode = DISPLAY_WORLD;
        if (m_pRenderer != nullptr)
            control.m_world.Render();
        return true;
    }
    ShowMessage("Unloadable file");
    control.m_nDisplayMode = DISPLAY_NOTHING;
    return false;
}

bool CMainDlg::SaveFile(const KXSTRING& path)
{
    CPictureCtrl& control = m_picture;
    KXLOADERSET* loaders = &control.m_world.GetLoaderSet();
    if (control.m_nDisplayMode == DISPLAY_PICTURE) {
        loaders = &control.m_picture.GetLoaderSet();
        // A writer may convert the picture it saves, which stays shown as it was.
        control.KeepDisplayCopy();
    } else if (control.m_nDisplayMode == DISPLAY_OBJECT)
        loaders = &control.m_object.GetLoaderSet();
    errno = 0;
    if (loaders->SaveFile(path.GetText()))
        return true;
    const int error = errno;
    const bool shown = control.m_nDisplayMode == DISPLAY_PICTURE ||
                       control.m_nDisplayMode == DISPLAY_OBJECT ||
                       control.m_nDisplayMode == DISPLAY_WORLD;
    const std::string reason = SaveFailure(shown, loaders->FindLoader(path.GetText()) >= 0, error);
    std::string text = std::string("\"") + path.GetText() + "\" was not saved";
    text += reason.empty() ? "." : ": " + reason + ".";
    ShowError(text.c_str());
    return false;
}
