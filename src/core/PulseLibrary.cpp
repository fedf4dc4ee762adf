#include "core/PulseLibrary.h"

#include <QDebug>
#include <QLibrary>

namespace {
struct Loaded
{
    PulseLibrary functions;
    bool ok = false;
};

const Loaded &loaded()
{
    static const Loaded library = [] {
        Loaded found;
        QLibrary file(QStringLiteral("pulse"), 0);
        if (!file.load()) {
            qWarning().noquote() << "No sound server library:" << file.errorString();
            return found;
        }
        found.ok = true;
#define DUSKHAVEN_PULSE_RESOLVE(name)                                                              \
    found.functions.name = reinterpret_cast<decltype(&::name)>(file.resolve(#name));               \
    found.ok = found.ok && found.functions.name;
        DUSKHAVEN_PULSE_FUNCTIONS(DUSKHAVEN_PULSE_RESOLVE)
#undef DUSKHAVEN_PULSE_RESOLVE
        if (!found.ok)
            qWarning().noquote() << "The sound server library lacks a function:"
                                 << file.errorString();
        return found;
    }();
    return library;
}
} // namespace

bool PulseLibrary::load()
{
    return loaded().ok;
}

const PulseLibrary &pulse()
{
    return loaded().functions;
}
