#include "ui/shell/QmlHost.h"

#include "Duskhaven/AppEnvironment.h"
#include "ui/Resources.h"
#include "ui/theme/DesktopColorScheme.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemePalette.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QQuickItem>
#include <QQuickView>

namespace {
// image://logo/<rrggbb>: the logo in that colour (views pass theme colours without the '#').
class LogoImageProvider : public QQuickImageProvider
{
public:
    LogoImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override
    {
        const QColor color(QLatin1Char('#') + id.section(QLatin1Char('/'), 0, 0));
        const QSize wanted = requestedSize.isValid() ? requestedSize : QSize(64, 64);
        QImage image = Resources::tintedLogo(wanted, color.isValid() ? color : QColor(Qt::black));
        if (size)
            *size = image.size();
        return image;
    }
};
} // namespace

QmlHost::QmlHost(AppEnvironment &environment, DesktopColorScheme &desktop, QObject *parent)
    : QObject(parent), m_engine(std::make_unique<QQmlEngine>()),
      m_symbols(new SymbolTable(Resources::symbolFontFamily(), this)),
      m_adaptive(new ThemePalette(desktop.scheme(), this)),
      m_dark(new ThemePalette(ColorScheme::Dark, this))
{
    Resources::init();
    desktop.drive(*m_adaptive);
    m_engine->addImageProvider(QStringLiteral("logo"), new LogoImageProvider);
    QQmlContext *root = m_engine->rootContext();
    root->setContextProperty(QStringLiteral("environment"), &environment);
    root->setContextProperty(QStringLiteral("symbols"), m_symbols);
}

QmlHost::~QmlHost() = default;

void QmlHost::setContextObject(const QString &name, QObject *object)
{
    m_engine->rootContext()->setContextProperty(name, object);
}

bool QmlHost::load(QQuickView &view, const QString &path, ThemePalette &palette)
{
    const QUrl url = Resources::qml(path);
    // Each window's own context carries its palette, so one engine serves light and dark views.
    auto *context = new QQmlContext(m_engine->rootContext(), &view);
    context->setContextProperty(QStringLiteral("theme"), &palette);
    QQmlComponent component(m_engine.get(), url, QQmlComponent::PreferSynchronous);
    QObject *object = component.create(context);
    if (!object) {
        for (const QQmlError &error : component.errors())
            qWarning().noquote() << error.toString();
        return false;
    }
    view.setContent(url, nullptr, object);
    return true;
}
