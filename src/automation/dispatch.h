#pragma once
// The one seam through which every designer call travels. Free of Qt so the
// Windows COM transport and the simulated designer implement it alike.

#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <variant>

namespace strovex {

enum class CallKind { Get, Put, Method };

class Dispatch;
// A counted reference to a designer object; resetting it is how we let go.
using DispatchRef = std::shared_ptr<Dispatch>;

// std::monostate is "nothing" (a missing item, an empty result).
using Value = std::variant<std::monostate, bool, std::int32_t, double, std::u16string, DispatchRef>;

class Dispatch {
public:
    virtual ~Dispatch() = default;
    // Calls member `dispId`. Throws AutomationError when the server refuses.
    virtual Value invoke(int dispId, CallKind kind, std::span<const Value> args) = 0;
};

// A designer call that failed; carries the server's own text.
class AutomationError : public std::exception {
public:
    explicit AutomationError(std::u16string text);
    const std::u16string &text() const noexcept { return text_; }
    const char *what() const noexcept override { return utf8_.c_str(); }

private:
    std::u16string text_;
    std::string utf8_;
};

std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);

} // namespace strovex
