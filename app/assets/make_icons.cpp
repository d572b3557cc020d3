// Build tool: writes the program icon as the PNG files the desktop's icon theme takes,
// OUT/<size>x<size>/apps/verdalith-table-studio.png.
#include <QDir>
#include <cstdio>

#include "app/program_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons OUT\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString dir = QString("%1/%2x%2/apps").arg(out).arg(size);
        if (!QDir().mkpath(dir) || !vts::programIconImage(size).save(dir + "/verdalith-table-studio.png")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
