// kt7iconpng: draws an SVG picture as a square PNG of the given size, for the
// icon theme's fixed-size folders. Run at build time on the offscreen platform.
//   kt7iconpng IN.svg SIZE OUT.png

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: kt7iconpng IN.svg SIZE OUT.png\n");
        return 2;
    }
    const int size = QByteArray(argv[2]).toInt();
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    if (size <= 0 || !reader.canRead()) {
        std::fprintf(stderr, "kt7iconpng: %s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read();
    if (image.isNull() || !image.convertToFormat(QImage::Format_ARGB32).save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "kt7iconpng: cannot draw %s at %d px\n", argv[1], size);
        return 1;
    }
    return 0;
}
