// Build tool: draws the logo at the tray's sizes into PNG files, so that the tray icon is made
// without loading Qt's SVG support into the tray process.
//   duskhaven-logo-rasters <logo.svg> <output folder> <size>…
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 4) {
        std::fputs("usage: duskhaven-logo-rasters <logo.svg> <output folder> <size>...\n", stderr);
        return 2;
    }
    const QDir folder(arguments.at(2));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;
    for (const QString &size : arguments.mid(3)) {
        const int side = size.toInt();
        QImageReader reader(arguments.at(1));
        reader.setScaledSize(QSize(side, side));
        const QImage image = reader.read();
        if (image.isNull() ||
            !image.save(folder.filePath(QStringLiteral("%1.png").arg(side)), "PNG")) {
            std::fprintf(stderr, "duskhaven-logo-rasters: cannot draw the logo at %d: %s\n", side,
                         qPrintable(reader.errorString()));
            return 1;
        }
    }
    return 0;
}
