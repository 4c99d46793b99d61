#pragma once
// Creating the designer's application object through COM.

#include "automation/resolver.h"

namespace strovex::win {

// Enters the single-threaded apartment on the calling thread the first time it
// is called (the user-interface thread); later calls do nothing. False when COM
// cannot be used there.
bool initialiseCom();

class ComResolver final : public ProgIdResolver {
public:
    // The object registered under `progId` as an in-process or local server,
    // asked for its dispatch interface. Null when the identifier or its class is
    // not registered ("not installed"); AutomationError when a registered
    // server fails to start or has no dispatch interface.
    DispatchRef create(const std::u16string &progId) override;
};

// The one resolver of the Windows build; strovex::nativeDesignerResolver()
// returns it.
ComResolver &comResolver();

} // namespace strovex::win
