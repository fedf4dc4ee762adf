#include "ui/Resources.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPainter>

// Q_INIT_RESOURCE declares the initialiser in the enclosing namespace, so it lives out here.
static void initCompiledResources()
{
    Q_INIT_RESOURCE(duskhaven_ui);
}

void Resources::init()
{
    static const bool done = (initCompiledResources(), true);
    Q_UNUSED(done);
}

QString Resources::symbolFontFamily()
{
    // The font database is the application's own; the embedded font is added to it once, even
    // where the same family is installed on the system.
    static const int id = [] {
        init();
        return QFontDatabase::addApplicationFont(symbolFontPath);
    }();
    return QFontDatabase::applicationFontFamilies(id).value(0, QStringLiteral("Material Icons"));
}

QImage Resources::tintedLogo(QSize size, const QColor &color)
{
    init();
    // The tray's sizes come drawn ahead, so that the tray process never loads SVG support.
    const QString drawn = QStringLiteral(":/duskhaven/logo/%1.png").arg(size.width());
    const bool useDrawn = size.width() == size.height() && QFile::exists(drawn);
    // PNG is built in; probing would load every image plugin, SVG's among them.
    QImageReader reader(useDrawn ? drawn : logoPath, useDrawn ? "png" : QByteArray());
    reader.setAutoDetectImageFormat(!useDrawn);
    if (!useDrawn)
        reader.setScaledSize(size);
    QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    return image;
}

void Resources::setAppWindowIcon()
{
    init();
    if (QGuiApplication::windowIcon().isNull())
        QGuiApplication::setWindowIcon(QIcon(appIconPath));
}
