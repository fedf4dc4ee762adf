#pragma once

#include <QString>
#include <QUrl>
#include <optional>

class SettingsStore;

// Where the catalogue is fetched from: the address a person set (the catalogueUrl setting)
// when it is usable, otherwise the one built in. The environment may fix another address for
// a run (the demo, tests); that is the application's to decide.
namespace CatalogueAddress {
QUrl builtIn();
// An absolute http or https address with a host, surrounding spaces ignored; none otherwise.
std::optional<QUrl> parse(const QString &text);
// The setting's address when it parses, else the built-in one.
QUrl chosen(const SettingsStore &settings);
} // namespace CatalogueAddress
