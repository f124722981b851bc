// CResizeDlg, the new size of the picture: the box labelled "Width:" holds the width and
// the one labelled "Height:" the height.
#pragma once

#include "kxdialog.h"

#include <QString>

class CResizeDlg final : public KXDIALOG {
public:
    explicit CResizeDlg(QWidget* parent = nullptr);

    QString m_width;  // edit 1001, labelled "Width:"
    QString m_height; // edit 1002, labelled "Height:"

protected:
    void DoDataExchange(bool save) override;
};
