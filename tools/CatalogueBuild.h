#pragma once

#include <QStringList>
#include <QTextStream>

// The curator's tool's exit status, the same for each of its commands.
enum Exit { Valid = 0, Invalid = 1, Trouble = 2 };

// `duskhaven-catalogue build FOLDER --base-url URL [--out FILE]`: writes the catalogue of a
// folder of audio files served at URL. `arguments` are those after "build".
int buildCatalogue(const QStringList &arguments, QTextStream &out, QTextStream &err);
