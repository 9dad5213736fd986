// Build tool: writes the main icon as a PNG file for the desktop entry, so
// that the desktop shows the same picture as the running program.
//
//   kamsel_write_icon_png OUTPUT.png

#include "ProgramIcons.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    if (!kamsel::app::ProgramIcons::MainIcon().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write the icon\n", argv[1]);
        return 1;
    }
    return 0;
}
