#include "ui/shell/ViewShell.h"

#include "core/AppModule.h"
#include "core/SettingsStore.h"
#include "playback/AudioEngine.h"

namespace {
QFunctionPointer viewsEntry(const char *symbol, QString *error)
{
    return resolveAppModule(QStringLiteral("duskhaven-views.so"),
                            QStringLiteral(DUSKHAVEN_VIEWS_MODULE_BUILD_PATH), symbol, error);
}
} // namespace

std::unique_ptr<ViewShell> ViewShell::load(const Context &context, QString *error)
{
    const auto make =
        reinterpret_cast<MakeViewShellFunction>(viewsEntry("duskhavenMakeViewShell", error));
    return std::unique_ptr<ViewShell>(make ? make(context) : nullptr);
}

std::unique_ptr<AudioEngine> ViewShell::loadQtMultimediaEngine(QString *error)
{
    const auto make = reinterpret_cast<MakeQtMultimediaEngineFunction>(
        viewsEntry("duskhavenMakeQtMultimediaEngine", error));
    return std::unique_ptr<AudioEngine>(make ? make() : nullptr);
}
