// Renders the application icon into the hicolor sizes: tabbywatch_iconrender <svg> <dir> <side>...
// writes <dir>/<side>x<side>/apps/<svg's base name>.png. Runs at build time.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fputs("usage: tabbywatch_iconrender <svg> <dir> <side>...\n", stderr);
        return 2;
    }
    const QString svg = QString::fromLocal8Bit(argv[1]);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString name = QFileInfo(svg).completeBaseName() + QStringLiteral(".png");
    for (int i = 3; i < argc; ++i) {
        const int side = QByteArray(argv[i]).toInt();
        if (side <= 0) {
            std::fprintf(stderr, "not a size: %s\n", argv[i]);
            return 2;
        }
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QDir folder(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/%1x%1/apps").arg(side));
        if (!folder.mkpath(QStringLiteral(".")) || !image.save(folder.filePath(name))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(folder.filePath(name)));
            return 1;
        }
    }
    return 0;
}
