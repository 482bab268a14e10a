// Build step: writes the window's icon as a PNG, the form desktop menus look for.
// Usage: corvane-icon-png ICON.ico OUT.png

#include <QImage>
#include <QString>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: corvane-icon-png ICON.ico OUT.png\n");
        return 2;
    }
    const QImage icon(QString::fromLocal8Bit(argv[1]));
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "corvane-icon-png: cannot turn %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
