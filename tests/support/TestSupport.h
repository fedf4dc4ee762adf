#pragma once

#include <QString>

namespace TestSupport {
// The repository root (tests read fixtures from it).
QString sourceDir();
} // namespace TestSupport
