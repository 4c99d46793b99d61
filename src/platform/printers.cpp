#include "platform/printers.h"

namespace strovex {
namespace {

std::shared_ptr<Printers> &current()
{
    static std::shared_ptr<Printers> service = createNativePrinters();
    return service;
}

} // namespace

Printers &printers()
{
    return *current();
}

void setPrinters(std::shared_ptr<Printers> service)
{
    current() = service ? std::move(service) : createNativePrinters();
}

} // namespace strovex
