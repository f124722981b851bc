// CResizeDlg, the new size of the picture. Its two texts are crossed with their labels:
// the first, in the box labelled "Height:", carries the width, and the second, in the box
// labelled "Width:", the height.
#pragma once

#include "kxdialog.h"

#include <QString>

class CResizeDlg final : public KXDIALOG {
public:
    explicit CResizeDlg(QWidget* parent = nullptr);

    QString m_first;  // edit 1002, labelled "Height:": the width
    QString m_second; // edit 1001, labelled "Width:": the height

protected:
    void DoDataExchange(bool save) override;
};
