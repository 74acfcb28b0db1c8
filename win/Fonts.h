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

// Throws std::runtime_error when it cannot be created; Windows may substitute the face.
UniqueFont MakeFont(const FontSpec& spec);

// Falls back to the metric-compatible face alike, where Wine or a system without the Windows
// core fonts would substitute a sans-serif face.
UniqueFont MakeFontOrAlike(const FontSpec& spec, const wchar_t* alike);

}  // namespace velkaro::win
