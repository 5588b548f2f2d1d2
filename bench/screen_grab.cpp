// SPDX-License-Identifier: MIT
// Saves the whole screen of the display named by DISPLAY as a PNG: the before and after
// pictures of the panel are taken with it, whatever build draws the panel.
//   screen_grab OUT.png
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: screen_grab OUT.png\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "screen_grab: could not grab or save the screen\n");
        return 1;
    }
    return 0;
}
