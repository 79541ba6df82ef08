#pragma once

#include <QColor>

namespace hb {

// The accent colours of the pad's screens and sheets.
struct PadColors {
    static constexpr QColor purple{0x6B, 0x5C, 0xE7};
    static constexpr QColor teal{0x18, 0xD3, 0xBC};
    static constexpr QColor green{0x28, 0xB7, 0x4F};
    static constexpr QColor red{0xFC, 0x44, 0x44}; // also what deletes or failed
    // The purple of text and thin marks on the dark backgrounds: the accent itself reads at
    // under 4:1 there, this lighter one at about 6:1.
    static constexpr QColor purpleText{0x9A, 0x8C, 0xFF};
    // The ring around the cell or row that has the keyboard focus.
    static constexpr QColor focusRing{0xA9, 0x9C, 0xFF};
};

} // namespace hb
