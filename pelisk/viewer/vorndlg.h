// CVornDlg, the parameters of the VORN project: the colour similarity and the fitness
// weight on sliders of 0 to 100, the mode (dots or polygons) and the number of polygon
// vertices. The picture control fills the members before it runs and reads them after.
#pragma once

#include "kxdialog.h"

#include <QString>

#include <cstdint>

class CVornDlg final : public KXDIALOG {
public:
    explicit CVornDlg(QWidget* parent = nullptr);

    std::int32_t m_nSimilarity = 0; // slider 1015
    std::int32_t m_nFitness = 0;    // slider 1019
    std::int32_t m_nMode = -1;      // radio group at 1017: 0 dots, 1 polygons, -1 none
    QString m_strGenes;             // edit 1018, "Nb Polygons:"

protected:
    void OnInitDialog() override;
    void DoDataExchange(bool save) override;
};
