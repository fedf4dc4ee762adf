#pragma once

#include <QFunctionPointer>
#include <QString>

// The application's own modules (FFmpeg, the views) carry what only some runs need, so that
// starting the app does not load their libraries. A module is looked for next to an installed
// application (<prefix>/BuildInfo::moduleDir/<fileName>), then where the build put it (`buildPath`).
// Returns the module's entry `symbol`, or null with the reason in `error`. A loaded module stays
// loaded for the life of the process.
QFunctionPointer resolveAppModule(const QString &fileName, const QString &buildPath,
                                  const char *symbol, QString *error);
