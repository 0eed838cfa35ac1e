#include "vkeys.h"

#include <Qt>

namespace ml {

qint16 virtualKey(int qtKey) {
    struct Entry {
        int qt;
        qint16 vk;
    };
    static constexpr Entry table[] = {
        {Qt::Key_Backspace, vk::Back}, {Qt::Key_Return, vk::Return}, {Qt::Key_Enter, vk::Return},
        {Qt::Key_Escape, vk::Escape},  {Qt::Key_PageDown, vk::Next}, {Qt::Key_Left, vk::Left},
        {Qt::Key_Up, vk::Up},          {Qt::Key_Right, vk::Right},   {Qt::Key_Down, vk::Down},
        {Qt::Key_F1, vk::F1},          {Qt::Key_F2, vk::F2},         {Qt::Key_F3, vk::F3},
        {Qt::Key_F4, vk::F4},          {Qt::Key_F5, vk::F5},         {Qt::Key_F6, vk::F6},
        {Qt::Key_F7, vk::F7},          {Qt::Key_F8, vk::F8},         {Qt::Key_F9, vk::F9},
        {Qt::Key_F10, vk::F10},        {Qt::Key_F11, vk::F11},       {Qt::Key_F12, vk::F12},
    };
    for (const Entry& e : table)
        if (e.qt == qtKey) return e.vk;
    return 0;
}

}  // namespace ml
