// CAboutDlg, the about box: the viewer's picture and an OK button.
#pragma once

#include "kxdialog.h"

#include <QImage>

class CAboutDlg final : public KXDIALOG {
public:
    CAboutDlg();

protected:
    void OnInitDialog() override;
};

// The about box's picture, 320 × 240: a shaded ball on a chequered floor under a sky,
// painted by the viewer itself.
QImage AboutPicture();
