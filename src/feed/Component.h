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
// The server was not asked, as it asked to be left alone for now.
inline constexpr std::int32_t kNotAsked = 1005;
}  // namespace error_numbers

// How a component call fails: a number and a text, as the component reports them,
// and for an HTTP exchange whether the server gave no answer at all. The reader
// records them and never lets one escape to its own caller.
class ComponentError : public std::runtime_error {
public:
    enum class Answer { Some, None };

    ComponentError(std::int32_t number, const std::string& text, Answer answer = Answer::Some)
        : std::runtime_error(text), m_number(number), m_answer(answer) {}

    std::int32_t number() const { return m_number; }
    bool gotNoAnswer() const { return m_answer == Answer::None; }

private:
    std::int32_t m_number;
    Answer m_answer;
};

}  // namespace lumeward::feed
