#pragma once
// Finding the designer's application object by program identifier. Free of Qt:
// on Windows a COM resolver stands behind the same interface.

#include "automation/dispatch.h"

#include <functional>
#include <map>
#include <string>

namespace strovex {

inline constexpr char16_t kProgIdVersion6[] = u"Quillmark6.Application";
inline constexpr char16_t kProgIdVersion5[] = u"Quillmark5.Application";

class ProgIdResolver {
public:
    virtual ~ProgIdResolver() = default;
    // The application object registered under `progId`, or null when none is
    // installed. May throw when a registered server fails to start.
    virtual DispatchRef create(const std::u16string &progId) = 0;
};

// Where there is no COM: servers living in this process, registered by name.
class InProcessServerTable : public ProgIdResolver {
public:
    using Factory = std::function<DispatchRef()>;
    void registerServer(const std::u16string &progId, Factory factory);
    void unregisterServer(const std::u16string &progId);
    void clear();
    DispatchRef create(const std::u16string &progId) override;

    static InProcessServerTable &instance();

private:
    std::map<std::u16string, Factory> factories_;
};

// Version 6 first, version 5 second; any failure is swallowed. Null when
// neither can be created.
DispatchRef connectDesigner(ProgIdResolver &resolver);

} // namespace strovex
