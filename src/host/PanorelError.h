#pragma once
// The one error type of the program: what a routine "raises" is a PanorelError
// carrying the number, source and description its caller may inspect.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace panorel {

// Numbered errors of our own modules are offset by the object-error base.
constexpr std::int32_t kObjectErrorBase = static_cast<std::int32_t>(0x80040000u);

class PanorelError : public std::runtime_error {
public:
    PanorelError(std::int32_t number, std::string source, std::string description)
        : std::runtime_error(description), number_(number), source_(std::move(source)),
          description_(std::move(description)) {}

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    const std::string& Description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// The platform's subscript-out-of-range error, raised unchanged (no base).
constexpr std::int32_t kSubscriptOutOfRange = 9;

// Runs one step of a handler whose errors are ignored: a failing step is
// skipped and the caller goes on with the next one. Returns whether the step
// completed.
template <class Step>
bool SkipOnError(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace panorel
