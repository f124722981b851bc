// Qt's side of the first open: one BMP file read by QImage in a fresh process and given
// the 32-bit display format. Prints the seconds of that open alone.
//
//   first_open_qt PATH            the open for display
//   first_open_qt PATH double     then the picture scaled smoothly to twice its size: also
//                                 prints the CPU seconds of the whole process (Qt scales
//                                 on several threads) and the wall seconds of the scaling
//   first_open_qt PATH double 24  the same from three bytes a pixel (RGB888), the format
//                                 nearest to a 24-bit picture, made before the clock starts
#include "clockseconds.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const bool doubles = argc > 2 && std::strcmp(argv[2], "double") == 0;
    const bool threeBytes = doubles && argc > 3 && std::strcmp(argv[3], "24") == 0;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const double start = ClockSeconds();
    QImage image;
    if (!image.load(path, "BMP"))
        return 1;
    QImage shown = image.convertToFormat(QImage::Format_RGB32);
    if (shown.isNull())
        return 1;
    std::printf("%.9f\n", ClockSeconds() - start);
    if (doubles) {
        image = QImage();
        if (threeBytes)
            shown = shown.convertToFormat(QImage::Format_RGB888);
        const double cpu = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const double wall = ClockSeconds();
        const QImage doubled = shown.scaled(2 * shown.width(), 2 * shown.height(),
                                            Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (doubled.isNull())
            return 1;
        std::printf("%.9f %.9f\n", ClockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu,
                    ClockSeconds() - wall);
    }
    return 0;
}
