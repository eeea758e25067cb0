#include "platform.h"

#include "version.h"

#include "qtservices.h"

namespace platform {
namespace {
Services *g_replacement = nullptr;
} // namespace

Services::~Services() = default;

Services &services()
{
    if (g_replacement)
        return *g_replacement;
    static QtServices desktop;
    return desktop;
}

void setServices(Services *replacement)
{
    g_replacement = replacement;
}

QString applicationTitle()
{
    return QStringLiteral("Chichotek v " CHICHOTEK_VERSION);
}

} // namespace platform
