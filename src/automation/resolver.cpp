#include "automation/resolver.h"

namespace strovex {

void InProcessServerTable::registerServer(const std::u16string &progId, Factory factory)
{
    factories_[progId] = std::move(factory);
}

void InProcessServerTable::unregisterServer(const std::u16string &progId)
{
    factories_.erase(progId);
}

void InProcessServerTable::clear()
{
    factories_.clear();
}

DispatchRef InProcessServerTable::create(const std::u16string &progId)
{
    const auto it = factories_.find(progId);
    if (it == factories_.end())
        return nullptr;
    return it->second();
}

InProcessServerTable &InProcessServerTable::instance()
{
    static InProcessServerTable table;
    return table;
}

DispatchRef connectDesigner(ProgIdResolver &resolver)
{
    for (const char16_t *progId : {kProgIdVersion6, kProgIdVersion5}) {
        try {
            if (DispatchRef app = resolver.create(progId))
                return app;
        } catch (...) {
            // A server that fails to start counts as not installed.
        }
    }
    return nullptr;
}

} // namespace strovex
