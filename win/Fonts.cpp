#include "win/Fonts.h"

#include "win/Window.h"

namespace velkaro::win {

namespace {

// Whether font, selected into a DC, has the face asked for.
bool HasFace(HDC dc, HFONT font, const wchar_t* face) {
    wchar_t got[LF_FACESIZE]{};
    SelectObjectScope select(dc, font);
    return ::GetTextFaceW(dc, LF_FACESIZE, got) > 0 && ::lstrcmpiW(got, face) == 0;
}

}  // namespace

UniqueFont MakeFont(const FontSpec& spec) {
    UniqueFont font(::CreateFontW(spec.height, 0, 0, 0, spec.weight, FALSE, FALSE, FALSE,
                                  spec.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, spec.face));
    if (!font) ThrowLastError("CreateFont", spec.face);
    return font;
}

UniqueFont MakeFontOrAlike(const FontSpec& spec, const wchar_t* alike) {
    UniqueFont font = MakeFont(spec);
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc || HasFace(dc.get(), font.get(), spec.face)) return font;
    FontSpec other = spec;
    other.face = alike;
    UniqueFont substitute = MakeFont(other);
    if (HasFace(dc.get(), substitute.get(), alike)) return substitute;
    return font;
}

}  // namespace velkaro::win
