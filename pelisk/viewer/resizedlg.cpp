#include "resizedlg.h"

#include "resource.h"

#include "kxtemplates.h"

namespace {

void ExchangeText(KXDIALOG& dialog, int id, QString& value, bool save)
{
    if (save)
        value = dialog.GetDlgItemText(id);
    else
        dialog.SetDlgItemText(id, value);
}

} // namespace

CResizeDlg::CResizeDlg(QWidget* parent) : KXDIALOG(*FindDialogTemplate(IDD_RESIZE), parent) {}

void CResizeDlg::DoDataExchange(bool save)
{
    ExchangeText(*this, IDC_RESIZE_HEIGHT, m_height, save);
    ExchangeText(*this, IDC_RESIZE_WIDTH, m_width, save);
}
