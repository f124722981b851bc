#include "jpegdlg.h"

#include "resource.h"

#include "kxnomemory.h"
#include "kxstring.h"
#include "kxtemplates.h"

#include <QLabel>
#include <QSlider>

CJpegDlg::CJpegDlg(QWidget* parent) : KXDIALOG(*FindDialogTemplate(IDD_JPEG), parent)
{
    m_slider = qobject_cast<QSlider*>(GetDlgItem(IDC_JPEG_QUANTIZER));
    m_text = qobject_cast<QLabel*>(GetDlgItem(IDC_JPEG_QUANTIZERTEXT));
    connect(m_slider, &QSlider::sliderReleased, this, [this] {
        long result = 0;
        RunContained([this, &result] { OnReleasedCaptureQuantizer(nullptr, &result); });
    });
}

void CJpegDlg::OnReleasedCaptureQuantizer(void*, long* result)
{
    // Only a slider on the screen has a position the user chose.
    if (m_slider->isVisible()) {
        m_nQuantizer = m_slider->value();
        KXSTRING number;
        number.FromInt(m_nQuantizer, 0);
        m_text->setText(QString("Quantizer: ") + number.GetText());
    }
    *result = 0;
}
