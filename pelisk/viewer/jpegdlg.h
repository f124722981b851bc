// CJpegDlg, the Jpeg properties: a quantizer on a slider, shown beside it as
// "Quantizer: n", and the pixel format. No command of the viewer opens it; it stands
// ready for a Jpeg writer.
#pragma once

#include "kxdialog.h"

#include <cstdint>

class QLabel;
class QSlider;

class CJpegDlg final : public KXDIALOG {
public:
    explicit CJpegDlg(QWidget* parent = nullptr);

    // The slider was let go: its position becomes the quantizer and the text shows it.
    // The result is always 0.
    void OnReleasedCaptureQuantizer(void* header, long* result);

    // The template's text reads "Quantizer: 1" before the slider moves.
    std::int32_t m_nQuantizer = 1;

private:
    QSlider* m_slider = nullptr; // slider 1002
    QLabel* m_text = nullptr;    // static 1005
};
