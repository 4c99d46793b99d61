#include "platform/launcher.h"

namespace strovex {
namespace {

std::shared_ptr<Launcher> &current()
{
    static std::shared_ptr<Launcher> service = createNativeLauncher();
    return service;
}

} // namespace

Launcher &launcher()
{
    return *current();
}

void setLauncher(std::shared_ptr<Launcher> service)
{
    current() = service ? std::move(service) : createNativeLauncher();
}

} // namespace strovex
