// Qt's side of the first open: one BMP file read by QImage in a fresh process and given
// the 32-bit display format. Prints the seconds of that open alone.
#include "clockseconds.h"

#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const double start = ClockSeconds();
    QImage image;
    if (!image.load(path, "BMP"))
        return 1;
    const QImage shown = image.convertToFormat(QImage::Format_RGB32);
    if (shown.isNull())
        return 1;
    std::printf("%.9f\n", ClockSeconds() - start);
    return 0;
}
