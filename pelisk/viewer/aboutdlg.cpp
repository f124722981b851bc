#include "aboutdlg.h"

#include "kxtemplates.h"
#include "resource.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kHorizon = 150; // rows from the top

// The ball: its centre and radius on the picture, and the light's direction towards the
// viewer's upper left.
constexpr double kBallX = 165.0, kBallY = 118.0, kBallRadius = 62.0;
constexpr double kLightX = -0.45, kLightY = -0.6, kLightZ = 0.66;

int Clamp(double value)
{
    return std::clamp(static_cast<int>(value), 0, 255);
}

QRgb Sky(int y)
{
    const double t = static_cast<double>(y) / kHorizon;
    return qRgb(Clamp(20 + 90 * t), Clamp(30 + 120 * t), Clamp(90 + 130 * t));
}

// A floor of squares that shrink towards the horizon, darker far away.
QRgb Floor(int x, int y)
{
    const double depth = 40.0 / (y - kHorizon + 1);
    const double u = (x - kWidth / 2) * depth / 8.0;
    const double v = depth * 6.0;
    const bool light = (static_cast<int>(std::floor(u)) + static_cast<int>(std::floor(v))) % 2 != 0;
    const double fade = std::min(1.0, (y - kHorizon) / 60.0);
    const int base = light ? 210 : 60;
    return qRgb(Clamp(base * fade + 40 * (1 - fade)), Clamp(base * fade + 40 * (1 - fade)),
                Clamp((light ? 220 : 90) * fade + 60 * (1 - fade)));
}

// The floor darkened where the ball shades it.
QRgb Shadow(QRgb floor, int x, int y)
{
    const double dx = (x - kBallX - 30.0) / 70.0, dy = (y - 198.0) / 14.0;
    if (dx * dx + dy * dy >= 1.0)
        return floor;
    return qRgb(qRed(floor) / 2, qGreen(floor) / 2, qBlue(floor) / 2);
}

// Diffuse light and shine on the ball, whose surface point faces (nx, ny, nz).
QRgb Ball(double nx, double ny, double nz)
{
    const double diffuse = std::max(0.0, nx * kLightX + ny * kLightY + nz * kLightZ);
    // The reflected light along the line of sight (0, 0, 1).
    const double reflected = 2.0 * diffuse * nz - kLightZ;
    const double shine = std::pow(std::max(0.0, reflected), 30.0);
    return qRgb(Clamp(30 + 200 * diffuse + 255 * shine), Clamp(20 + 90 * diffuse + 255 * shine),
                Clamp(15 + 40 * diffuse + 255 * shine));
}

QRgb Paint(int x, int y)
{
    const double dx = (x - kBallX) / kBallRadius, dy = (y - kBallY) / kBallRadius;
    const double d2 = dx * dx + dy * dy;
    if (d2 < 1.0)
        return Ball(dx, dy, std::sqrt(1.0 - d2));
    if (y < kHorizon)
        return Sky(y);
    return Shadow(Floor(x, y), x, y);
}

} // namespace

QImage AboutPicture()
{
    QImage picture(kWidth, kHeight, QImage::Format_RGB888);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            picture.setPixel(x, y, Paint(x, y));
    return picture;
}

CAboutDlg::CAboutDlg() : KXDIALOG(*FindDialogTemplate(IDD_ABOUTBOX)) {}

void CAboutDlg::OnInitDialog()
{
    KXDIALOG::OnInitDialog();
    // Painted once for the program: it never changes.
    static const QImage picture = AboutPicture();
    SetBitmap(QByteArray::number(IDB_ABOUT).constData(), picture);
}
