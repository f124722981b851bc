#include "propertiesdlg.h"

#include "resource.h"

#include "kxtemplates.h"

#include <QListWidget>

CPropertiesDlg::CPropertiesDlg(QWidget* parent)
    : KXDIALOG(*FindDialogTemplate(IDD_PROPERTIES), parent), m_title(16), m_text(16)
{
    m_list = qobject_cast<QListWidget*>(GetDlgItem(IDC_PROPERTIES_LIST));
}

void CPropertiesDlg::OnInitDialog()
{
    KXDIALOG::OnInitDialog();
    setWindowTitle(QString::fromLocal8Bit(m_title.GetText()));
    m_list->clear();
    // One line a field, up to the first empty one: a text ended by a line feed shows all
    // its lines, and an empty line inside it ends the list there.
    KXSTRING line;
    for (int field = 0;; ++field) {
        m_text.GetField(line, field, '\n');
        if (line.GetLength() == 0)
            break;
        m_list->addItem(QString::fromLocal8Bit(line.GetText()));
    }
}
