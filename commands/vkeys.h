#pragma once
// Key events carry the Windows virtual-key value of the key; this maps Qt's keys onto them.

#include <QtGlobal>

namespace ml {

namespace vk {
inline constexpr qint16 Back = 8, Return = 13, Escape = 27, Next = 34, Left = 37, Up = 38,
                        Right = 39, Down = 40, F1 = 112, F2 = 113, F3 = 114, F4 = 115, F5 = 116,
                        F6 = 117, F7 = 118, F8 = 119, F9 = 120, F10 = 121, F11 = 122, F12 = 123;
}

// The virtual-key value of a Qt key (Qt::Key), or 0 for a key the tutor has no command for.
// Modifiers are not part of it: Shift+F1 is F1.
qint16 virtualKey(int qtKey);

}  // namespace ml
