#pragma once

#include <QString>
#include <memory>

class AudioEngine;

// Qt Multimedia's player as the music's engine (the fallback, for a system where the mixed
// stream misbehaves), from its own module; none, with the reason in `error`, when the module
// cannot be loaded.
std::unique_ptr<AudioEngine> loadQtMultimediaEngine(QString *error);
