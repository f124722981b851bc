#include "vorndlg.h"

#include "resource.h"

#include "kxtemplates.h"

CVornDlg::CVornDlg(QWidget* parent) : KXDIALOG(*FindDialogTemplate(IDD_VORN), parent) {}

void CVornDlg::OnInitDialog()
{
    // The ranges come first, so that the positions the base sets fall inside them.
    SetSliderRange(IDC_VORN_FITNESS, 0, 100);
    SetSliderRange(IDC_VORN_SIMILARITY, 0, 100);
    KXDIALOG::OnInitDialog();
}

void CVornDlg::DoDataExchange(bool save)
{
    if (save) {
        m_nSimilarity = GetSliderPos(IDC_VORN_SIMILARITY);
        m_nFitness = GetSliderPos(IDC_VORN_FITNESS);
        m_nMode = GetRadioIndex(IDC_VORN_DOTS);
        m_strGenes = GetDlgItemText(IDC_VORN_GENES);
    } else {
        SetSliderPos(IDC_VORN_SIMILARITY, m_nSimilarity);
        SetSliderPos(IDC_VORN_FITNESS, m_nFitness);
        SetRadioIndex(IDC_VORN_DOTS, m_nMode);
        SetDlgItemText(IDC_VORN_GENES, m_strGenes);
    }
}
