#pragma once
// The simulated designer: an in-process automation server over JSON label
// documents. It stands in for the real designer wherever none is installed and
// is the ground the tests stand on. Free of widgets; uses Qt Core for JSON.

#include "automation/dispatch.h"
#include "automation/resolver.h"

#include <QString>

#include <cstdint>
#include <stdexcept>

namespace strovex::sim {

// A fresh application object (quillApp). Each OpenLabel returns a new label object
// over a freshly read document; items keep the document alive, never the label.
// The document format, the faults and the knobs are described in
// docs/label-documents.md. Variable lists' FindByName prefers the exact name,
// then the first name equal ignoring letter case.
DispatchRef createApplication();

// OpenLabel refuses a label file larger than this, as it refuses anything that
// is not a regular file.
inline constexpr std::int64_t kMaxLabelFileBytes = std::int64_t(256) << 20;

// Registers the simulated designer according to STROVEX_DESIGNER:
// unset or empty: as "Quillmark6.Application"; "5": only as
// "Quillmark5.Application"; "none": not at all. Also reads the knobs below
// from the environment. Throws DesignerChoiceError, with the text of
// designerChoiceError, for any other value.
struct DesignerChoiceError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};
void registerFromEnvironment(InProcessServerTable &table);
// Empty when STROVEX_DESIGNER holds a value registerFromEnvironment takes;
// otherwise the message that says what it takes.
QString designerChoiceError();

// The process's server table with the simulated designer registered from the
// environment (once, at the first call): the designer of programs that have
// no COM.
ProgIdResolver &environmentResolver();

// The designer a program talks to: the installed one where the platform has a
// way to it, else the simulated one (environmentResolver). When the simulated
// one is chosen and STROVEX_DESIGNER holds a value it does not take, no
// resolver and the message of designerChoiceError: a mistyped value must not
// pass for "no designer".
struct ProgramDesigner {
    ProgIdResolver *resolver = nullptr;
    QString error;
};
ProgramDesigner programDesigner();

// Process-wide knobs (fault sweeps, a designer that stopped, latency, call log).
// 0 switches a knob off. The environment variables STROVEX_SIM_FAIL_CALL,
// STROVEX_SIM_STOP_AFTER, STROVEX_SIM_LATENCY_US, STROVEX_SIM_LOG and
// STROVEX_SIM_KILL_POINT set them.
// failCall and stopAfter count every call on any simulated object from the
// moment the knobs were set (setKnobs and loadKnobsFromEnvironment restart it).
struct Knobs {
    std::uint64_t failCall = 0;   // the Nth call of the process raises
    std::uint64_t stopAfter = 0;  // every call after the Nth raises
    std::uint32_t latencyUs = 0;  // added to every call
    QString logFile;              // one line per call appended when set
    // The process ends at once, as by SIGKILL, at point N: odd N just before
    // call (N+1)/2 does anything, even N just after call N/2 did its work.
    std::uint64_t killPoint = 0;
};
void setKnobs(const Knobs &knobs);
Knobs knobs();
void loadKnobsFromEnvironment();

// Counters for tests: calls made since the last reset, and objects alive now.
std::uint64_t callCount();
void resetCallCount();
long liveObjects();   // every simulated object (application, labels, settings, lists, items)
long liveLabels();    // label objects only
std::uint64_t quitCount(); // how often quillApp.Quit was called

} // namespace strovex::sim
