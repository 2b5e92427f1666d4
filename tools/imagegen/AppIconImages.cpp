// Draws the tool's icon for the desktop's icon theme and writes it as PNG
// files in the layout of the hicolor theme:
//
//   <output folder>/<n>x<n>/apps/vardo.png   for n = 16 ... 256
//
// The drawing is the one the tool shows as its window icon (AppIcon.cpp);
// scalable/apps/vardo.svg next to these files is drawn by hand from it.
//
// Usage: vardo-icongen <output folder>

#include "AppIcon.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        QDir().mkpath(dir);
        const QString path = dir + QStringLiteral("/vardo.png");
        const QImage image = appIconImage(size).convertToFormat(QImage::Format_ARGB32);
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("wrote %s\n", qPrintable(path));
    }
    return 0;
}
