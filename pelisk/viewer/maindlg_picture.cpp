// The main dialog's commands on what is shown: the properties of the picture, object or
// world, the picture operations of the Image menu and the about box.
#include "maindlg.h"

#include "aboutdlg.h"
#include "pictureedit.h"
#include "propertiesdlg.h"
#include "resizedlg.h"
#include "resource.h"

#include "kxsysdlg.h"

#include <cstdint>

namespace {

// Appends a line of a label and a number, ended by a line feed.
void AppendLine(KXSTRING& text, const char* label, int value)
{
    KXSTRING number;
    number.FromInt(value, 0);
    text += label;
    text += number;
    text += '\n';
}

void AppendLine(KXSTRING& text, const char* label, const char* value)
{
    text += label;
    text += value;
    text += '\n';
}

void DescribePicture(const KXPICTURE& picture, KXSTRING& text)
{
    AppendLine(text, "Width:\t\t\t\t", static_cast<int>(picture.GetWidth()));
    AppendLine(text, "Height:\t\t\t", static_cast<int>(picture.GetHeight()));
    // The bits of a pixel: the YCbCr depth codes show as 24 and 32.
    AppendLine(text, "Depth:\t\t\t", picture.GetDepth() & 0xFF);
    AppendLine(text, "HPPM:\t\t\t\t", picture.GetXResolution());
    AppendLine(text, "VPPM:\t\t\t\t", picture.GetYResolution());
    AppendLine(text, "Buffer size:\t\t", static_cast<int>(picture.GetDataSize()));
}

void DescribeObject(KXOBJECT3D& object, KXSTRING& text)
{
    AppendLine(text, "Classname:\t\t\t", object.GetName());
    AppendLine(text, "Nb faces:\t\t\t", object.GetFaceCount());
    AppendLine(text, "Nb vertices:\t\t", object.GetVertexCount());
    AppendLine(text, "Nb materials:\t\t", object.GetMaterialCount());
}

void DescribeWorld(KXWORLD& world, KXSTRING& text)
{
    const std::uint16_t objects = static_cast<std::uint16_t>(world.GetObjectCount());
    AppendLine(text, "Nb objects:\t\t", objects);
    AppendLine(text, "Nb cameras:\t\t", static_cast<std::uint16_t>(world.GetCameraCount()));
    AppendLine(text, "Nb lights:\t\t", static_cast<std::uint16_t>(world.GetLightCount()));
    int faces = 0;
    int vertices = 0;
    for (std::uint16_t i = 0; i < objects; ++i) {
        faces += world.GetObject(i)->GetFaceCount();
        vertices += world.GetObject(i)->GetVertexCount();
    }
    AppendLine(text, "Nb faces:\t\t\t", faces);
    AppendLine(text, "Nb vertices:\t\t", vertices);
}

} // namespace

void CMainDlg::OnEditProperties()
{
    KXSTRING title(16);
    KXSTRING text(16);
    switch (m_picture.m_nDisplayMode) {
    case DISPLAY_PICTURE:
        title = "Picture properties";
        DescribePicture(m_picture.m_picture, text);
        break;
    case DISPLAY_OBJECT:
        title = "Object properties";
        DescribeObject(m_picture.m_object, text);
        break;
    case DISPLAY_WORLD:
        title = "World properties";
        DescribeWorld(m_picture.m_world, text);
        break;
    default:
        ShowMessage("No properties available");
        return;
    }
    CPropertiesDlg dialog(this);
    dialog.SetTitle(title);
    dialog.SetText(text);
    dialog.DoModal();
}

void CMainDlg::PictureChanged()
{
    m_picture.BuildDIB();
    m_picture.Invalidate();
}

void CMainDlg::OnImageVFlip()
{
    m_picture.m_picture.VFlip();
    PictureChanged();
}

void CMainDlg::OnImageResize()
{
    KXPICTURE& picture = m_picture.m_picture;
    KXSTRING width;
    KXSTRING height;
    width.FromInt(static_cast<int>(picture.GetWidth()), 0);
    height.FromInt(static_cast<int>(picture.GetHeight()), 0);
    // Each box holds the side its label names.
    CResizeDlg dialog(this);
    dialog.m_width = QString::fromLatin1(width.GetText());
    dialog.m_height = QString::fromLatin1(height.GetText());
    if (dialog.DoModal() != KXDIALOG::IDOK)
        return;
    const KXNEWSIZE size = ReadNewSize(dialog.m_width.toStdString(), dialog.m_height.toStdString());
    if (!size.refusal.empty()) {
        ShowError(size.refusal.c_str());
        return;
    }
    const KXEDIT result = ResizePicture(picture, size.width, size.height);
    if (result != KXEDIT::DONE) {
        ShowError(EditRefusal(result, size.width, size.height).c_str());
        return;
    }
    PictureChanged();
}

void CMainDlg::OnImageDoubleSizeBlur()
{
    KXPICTURE& picture = m_picture.m_picture;
    const std::int64_t width = std::int64_t{2} * picture.GetWidth();
    const std::int64_t height = std::int64_t{2} * picture.GetHeight();
    const KXEDIT result = DoubleSizePicture(picture, 5);
    if (result != KXEDIT::DONE) {
        ShowError(EditRefusal(result, width, height).c_str());
        return;
    }
    PictureChanged();
}

void CMainDlg::OnHelpAbout()
{
    CAboutDlg dialog;
    dialog.DoModal();
}
