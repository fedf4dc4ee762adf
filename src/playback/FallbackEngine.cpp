#include "playback/FallbackEngine.h"

#include "core/AppModule.h"
#include "playback/AudioEngine.h"

std::unique_ptr<AudioEngine> loadQtMultimediaEngine(QString *error)
{
    using Make = AudioEngine *(*)();
    const auto make = reinterpret_cast<Make>(
        resolveAppModule(QStringLiteral("duskhaven-qtmultimedia.so"),
                         QStringLiteral(DUSKHAVEN_QTMULTIMEDIA_MODULE_BUILD_PATH),
                         "duskhavenMakeQtMultimediaEngine", error));
    return std::unique_ptr<AudioEngine>(make ? make() : nullptr);
}
