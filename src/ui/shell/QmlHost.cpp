#include "ui/shell/QmlHost.h"

#include "ui/Resources.h"
#include "ui/theme/DesktopColorScheme.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemePalette.h"
#include "ui/views/CoverImageProvider.h"
#include "ui/views/Theme.h"
#include "ui/views/ViewServices.h"

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

// Generated with the QML module.
extern void qml_register_types_Duskhaven();

void QmlHost::registerTypes()
{
    static const bool done = (qml_register_types_Duskhaven(), true);
    Q_UNUSED(done);
}

QmlHost::QmlHost(DesktopColorScheme &desktop, QObject *parent)
    : QObject(parent), m_engine(std::make_unique<QQmlEngine>()),
      m_symbols(new SymbolTable(Resources::symbolFontFamily(), this)),
      m_adaptive(new ThemePalette(desktop.scheme(), this)),
      m_dark(new ThemePalette(ColorScheme::Dark, this))
{
    registerTypes();
    desktop.drive(*m_adaptive);
    m_engine->addImageProvider(QStringLiteral("logo"), new LogoImageProvider);
    m_engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
}

QmlHost::~QmlHost() = default;

void QmlHost::setServices(ViewServices *services)
{
    Q_ASSERT(!m_services && services);
    m_services = services;
    m_engine->addImageProvider(QString::fromLatin1(CoverImageLoader::providerName),
                               new CoverImageProvider(services->coverImages()));
}

bool QmlHost::load(QQuickView &view, const QString &path, ThemePalette &palette,
                   const QVariantMap &properties)
{
    Q_ASSERT(m_services);
    const QUrl url = Resources::qml(path);
    QQmlComponent component(m_engine.get(), url, QQmlComponent::PreferSynchronous);
    QVariantMap initial = properties;
    initial.insert(QStringLiteral("services"), QVariant::fromValue(m_services));
    QObject *object =
        component.isReady() ? component.beginCreate(m_engine->rootContext()) : nullptr;
    if (object) {
        component.setInitialProperties(object, initial);
        // Each window has its own palette, so one engine serves light and dark views; the
        // items below its root find it there.
        Theme::set(*object, palette, *m_symbols);
        component.completeCreate();
    }
    if (!object || component.isError()) {
        for (const QQmlError &error : component.errors())
            qWarning().noquote() << error.toString();
        delete object;
        return false;
    }
    view.setContent(url, nullptr, object);
    return true;
}
