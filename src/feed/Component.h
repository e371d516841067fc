#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lumeward::feed {

// Base of everything the registry hands out by name: HTTP requests, the XML
// document and the text cleaner.
class Component {
public:
    virtual ~Component() = default;
};

// Numbers of the failures the engine reports itself. HTTP failures carry
// libcurl's codes, which stay below 1000.
namespace error_numbers {
inline constexpr std::int32_t kCannotCreateComponent = 429;
inline constexpr std::int32_t kInvalidPath = 1001;
inline constexpr std::int32_t kInternal = 1002;
inline constexpr std::int32_t kNotWellFormed = 1003;
// The read was stopped before a document came in.
inline constexpr std::int32_t kStopped = 1004;
}  // namespace error_numbers

// How a component call fails: a number and a text, as the component reports them.
// The reader records both and never lets one escape to its own caller.
class ComponentError : public std::runtime_error {
public:
    ComponentError(std::int32_t number, const std::string& text)
        : std::runtime_error(text), m_number(number) {}

    std::int32_t number() const { return m_number; }

private:
    std::int32_t m_number;
};

}  // namespace lumeward::feed
