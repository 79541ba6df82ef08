#pragma once

#include "common/Error.h"

#include <utility>
#include <variant>

namespace hb {

// A value or the Error that prevented it.
//
// This is the subset of std::expected<T, Error> the project uses. libstdc++ 12 only offers
// std::expected to compilers with full C++20 concepts, which rules out the clang that builds the
// fuzz targets on Debian 12; one small type used everywhere keeps both compilers on the same code.
template <typename T> class Expected {
public:
    Expected(const T &value) : m_state(std::in_place_index<0>, value) {}
    Expected(T &&value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Expected(const Error &error) : m_state(std::in_place_index<1>, error) {}
    Expected(Error &&error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool has_value() const { return m_state.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T &value() & { return std::get<0>(m_state); }
    const T &value() const & { return std::get<0>(m_state); }
    // By value, so that `for (x : f().value())` does not refer into a destroyed temporary.
    T value() && { return std::get<0>(std::move(m_state)); }
    T &operator*() & { return value(); }
    const T &operator*() const & { return value(); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }

    const Error &error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

// For operations that return nothing on success.
struct Done {};

} // namespace hb
