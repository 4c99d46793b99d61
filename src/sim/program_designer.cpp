// Its own file so that a library linking the simulated designer (strovexsim.dll)
// does not pull in the platform's way to the installed designer.
#include "platform/platform_info.h"
#include "sim/sim_designer.h"

namespace strovex::sim {

ProgramDesigner programDesigner()
{
    if (ProgIdResolver *native = nativeDesignerResolver())
        return {native, {}};
    if (QString error = designerChoiceError(); !error.isEmpty())
        return {nullptr, std::move(error)};
    return {&environmentResolver(), {}};
}

} // namespace strovex::sim
