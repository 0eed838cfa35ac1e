// The table from the window system's keys to the virtual-key codes the commands test against.
#include "commands/vkeys.h"

#include <gtest/gtest.h>

#include <Qt>

namespace {

TEST(VirtualKeys, CommandKeysMapToTheirCodes) {
    const std::pair<int, int> cases[] = {
        {Qt::Key_Backspace, 8}, {Qt::Key_Return, 13}, {Qt::Key_Enter, 13}, {Qt::Key_Escape, 27},
        {Qt::Key_PageDown, 34}, {Qt::Key_Left, 37},   {Qt::Key_Up, 38},    {Qt::Key_Right, 39},
        {Qt::Key_Down, 40},     {Qt::Key_F1, 112},    {Qt::Key_F2, 113},   {Qt::Key_F3, 114},
        {Qt::Key_F4, 115},      {Qt::Key_F5, 116},    {Qt::Key_F6, 117},   {Qt::Key_F7, 118},
        {Qt::Key_F8, 119},      {Qt::Key_F9, 120},    {Qt::Key_F10, 121},  {Qt::Key_F11, 122},
        {Qt::Key_F12, 123},
    };
    for (const auto& [qt, code] : cases) EXPECT_EQ(ml::virtualKey(qt), code) << "Qt key " << qt;
}

TEST(VirtualKeys, OtherKeysHaveNoCode) {
    // Neighbours of the command keys, letters and the modifiers themselves.
    for (int qt : {0, int(Qt::Key_Tab), int(Qt::Key_Delete), int(Qt::Key_Insert), int(Qt::Key_Home),
                   int(Qt::Key_End), int(Qt::Key_PageUp), int(Qt::Key_F13), int(Qt::Key_Space),
                   int(Qt::Key_A), int(Qt::Key_Z), int(Qt::Key_0), int(Qt::Key_Shift),
                   int(Qt::Key_Control), int(Qt::Key_Alt), int(Qt::Key_unknown)})
        EXPECT_EQ(ml::virtualKey(qt), 0) << "Qt key " << qt;
}

}  // namespace
