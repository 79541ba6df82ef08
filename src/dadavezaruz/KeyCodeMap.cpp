#include "dadavezaruz/KeyCodeMap.h"

#include <QLatin1StringView>

#include <iterator>

namespace hb {

namespace {

struct KeyCodeEntry {
    const char *name;
    quint16 code;
};

// clang-format off
constexpr KeyCodeEntry kKeyCodes[] = {
    // Letters
    {"a", 0}, {"s", 1}, {"d", 2}, {"f", 3}, {"h", 4}, {"g", 5}, {"z", 6}, {"x", 7}, {"c", 8},
    {"v", 9}, {"b", 11}, {"q", 12}, {"w", 13}, {"e", 14}, {"r", 15}, {"y", 16}, {"t", 17},
    {"o", 31}, {"u", 32}, {"i", 34}, {"p", 35}, {"l", 37}, {"j", 38}, {"k", 40}, {"n", 45},
    {"m", 46},
    // Digits
    {"1", 18}, {"2", 19}, {"3", 20}, {"4", 21}, {"6", 22}, {"5", 23}, {"9", 25}, {"7", 26},
    {"8", 28}, {"0", 29},
    // Punctuation
    {"=", 24}, {"-", 27}, {"]", 30}, {"[", 33}, {"'", 39}, {";", 41}, {"\\", 42}, {",", 43},
    {"/", 44}, {".", 47}, {"`", 50},
    // Named keys
    {"return", 36}, {"enter", 36}, {"tab", 48}, {"space", 49}, {"delete", 51},
    {"backspace", 51}, {"escape", 53}, {"esc", 53},
    // Function keys
    {"f1", 122}, {"f2", 120}, {"f3", 99}, {"f4", 118}, {"f5", 96}, {"f6", 97}, {"f7", 98},
    {"f8", 100}, {"f9", 101}, {"f10", 109}, {"f11", 103}, {"f12", 111},
    // Navigation
    {"left", 123}, {"right", 124}, {"down", 125}, {"up", 126}, {"home", 115}, {"end", 119},
    {"pageup", 116}, {"pagedown", 121},
};
// clang-format on

static_assert(std::size(kKeyCodes) == 75);

QHash<QString, quint16> buildKeyCodeMap()
{
    QHash<QString, quint16> map;
    map.reserve(std::size(kKeyCodes));
    for (const KeyCodeEntry &entry : kKeyCodes)
        map.insert(QLatin1StringView(entry.name), entry.code);
    return map;
}

} // namespace

const QHash<QString, quint16> &keyCodeMap()
{
    static const QHash<QString, quint16> map = buildKeyCodeMap();
    return map;
}

} // namespace hb
