#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What a mix may be called: trimmed, 1 to maxLength characters, and no other mix's name
// (letter case aside, since "Rain" and "rain" would be told apart by no one).
namespace MixNames {
constexpr int maxLength = 60;

// The name as it is kept: without the spaces around it.
QString tidy(const QString &name);
// Why the tidied name cannot be used, in words for the user; none when it can. `others` are
// the names of the other mixes.
std::optional<QString> problem(const QString &tidied, const QStringList &others);
// "Mix 1", "Mix 2"…: the first that no mix uses yet.
QString firstFree(const QStringList &taken);
} // namespace MixNames
