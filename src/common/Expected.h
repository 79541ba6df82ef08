#pragma once

#include "common/Error.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <variant>

namespace hb {

namespace detail {

// Reading the value of an Expected that holds an error (or the error of one that holds a value)
// is a programming fault; it ends the process with a message that says which error was there.
[[noreturn, gnu::cold, gnu::noinline]] inline void expectedValueOnError(const Error &error)
{
    std::fprintf(stderr, "hb::Expected::value() called on an error: %s %d: %s\n",
                 error.domain.toLocal8Bit().constData(), error.code,
                 error.description.toLocal8Bit().constData());
    std::fflush(stderr);
    std::abort();
}

[[noreturn, gnu::cold, gnu::noinline]] inline void expectedErrorOnValue()
{
    std::fputs("hb::Expected::error() called on a value\n", stderr);
    std::fflush(stderr);
    std::abort();
}

} // namespace detail

// A value or the Error that prevented it.
//
// This is the subset of std::expected<T, Error> the project uses. libstdc++ 12 only offers
// std::expected to compilers with full C++20 concepts, which rules out the clang that builds the
// fuzz targets on Debian 12; one small type used everywhere keeps both compilers on the same code.
//
// A returned Expected must be looked at: dropping one is a compile error. Where ignoring the
// outcome is right, say why and discard it explicitly (`std::ignore = ...`). Asking an error for
// its value ends the process with a message, in every build type.
template <typename T> class [[nodiscard]] Expected {
public:
    Expected(const T &value) : m_state(std::in_place_index<0>, value) {}
    Expected(T &&value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Expected(const Error &error) : m_state(std::in_place_index<1>, error) {}
    Expected(Error &&error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool has_value() const { return m_state.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T &value() &
    {
        checkValue();
        return *std::get_if<0>(&m_state);
    }
    const T &value() const &
    {
        checkValue();
        return *std::get_if<0>(&m_state);
    }
    // By value, so that `for (x : f().value())` does not refer into a destroyed temporary.
    T value() &&
    {
        checkValue();
        return std::move(*std::get_if<0>(&m_state));
    }
    T &operator*() & { return value(); }
    const T &operator*() const & { return value(); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }

    const Error &error() const
    {
        if (const Error *error = std::get_if<1>(&m_state))
            return *error;
        detail::expectedErrorOnValue();
    }

private:
    void checkValue() const
    {
        if (const Error *error = std::get_if<1>(&m_state))
            detail::expectedValueOnError(*error);
    }

    std::variant<T, Error> m_state;
};

// For operations that return nothing on success.
struct Done {};

} // namespace hb
