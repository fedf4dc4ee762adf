#include "support/TestSupport.h"

namespace TestSupport {
QString sourceDir()
{
    return qEnvironmentVariable("DUSKHAVEN_SOURCE_DIR");
}
} // namespace TestSupport
