// Fonts by face, height, weight and character set.
#pragma once

#include <windows.h>

#include "win/Handles.h"

namespace velkaro::win {

struct FontSpec {
    const wchar_t* face;
    int height;  // LOGFONT height: negative for the character height in pixels (of the window's DPI)
    int weight = FW_NORMAL;
    BYTE charset = DEFAULT_CHARSET;
};

// The font; throws std::runtime_error when it cannot be created. Windows may give another
// face where the system lacks the one asked for.
UniqueFont MakeFont(const FontSpec& spec);

// The face asked for, or the metric-compatible face alike where the system lacks it (Wine and
// systems without the Windows core fonts would otherwise substitute a sans-serif face); the
// system's choice when it has neither.
UniqueFont MakeFontOrAlike(const FontSpec& spec, const wchar_t* alike);

}  // namespace velkaro::win
