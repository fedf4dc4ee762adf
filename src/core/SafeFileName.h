#pragma once

#include <QString>

// Catalogue ids (tracks, ambient layers) become file names unchanged, so an id must never be
// able to name a file outside its folder. Every place that turns an id into a path goes
// through here.
namespace SafeFileName {
// True for an id usable as a file name: not empty, not "." or "..", and without "/" or NUL.
bool isSafe(const QString &id);

// Throws AppError (File domain) naming the id when it is not safe.
void require(const QString &id);

// folder + "/" + id + suffix, after require(id).
QString pathIn(const QString &folder, const QString &id, const QString &suffix);
} // namespace SafeFileName
