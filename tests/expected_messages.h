// What the program's message boxes must show on an English user interface,
// and their box types: the expected side of the launch tests, written out here
// rather than read from the resources the program itself loads.
#pragma once

#include <string>

#include "sim/win32_api.h"

inline const std::u16string kTitle = u"Quenloft";
inline const std::u16string kRestartPrompt =
    u"You must restart your computer before the new settings will take effect.\n\nDo you want to restart?";
inline const std::u16string kNeedAdmin = u"Please execute by administrator authority.";
inline const std::u16string kUnsupported =
    u"This application program does not work properly under the current version of Windows.";
inline const std::u16string kFutureQuestion =
    u"This application does not support current version of Windows.\nDo you want to continue launching this "
    u"application?";

constexpr UINT kRestartBox = 0x144;
constexpr UINT kUnsupportedBox = 0x10;
constexpr UINT kNeedAdminBox = 0x30;
constexpr UINT kFutureBox = 0x40134;
