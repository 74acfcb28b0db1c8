// Texts in Windows-1251, converted at compile time: the sources are UTF-8 and the program
// holds its texts as Windows-1251 bytes, so a literal beyond ASCII is written "Сегодня"_cp1251.
// A character Windows-1251 lacks, or a literal that is not UTF-8, does not compile.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace velkaro {

namespace cp1251 {

// A UTF-8 string literal as a template argument.
template <std::size_t N>
struct Utf8Literal {
    char bytes[N]{};
    consteval Utf8Literal(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
    }
};

// The characters of the bytes 0x80 to 0xFF (0: the byte 0x98 stands for none).
inline constexpr char32_t kHighHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Advances i past the code point. Throwing here stops the compilation: the literal is not UTF-8.
consteval char32_t NextCodePoint(const char* s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80) return lead;
    int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (more < 0) throw "not UTF-8";
    char32_t cp = lead & (0x3F >> more);
    for (; more > 0; --more) {
        const auto next = static_cast<unsigned char>(s[i++]);
        if ((next & 0xC0) != 0x80) throw "not UTF-8";
        cp = (cp << 6) | (next & 0x3F);
    }
    return cp;
}

// Throwing stops the compilation: no such character.
consteval char ByteOf(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    for (std::size_t i = 0; i < 128; ++i)
        if (kHighHalf[i] == cp) return static_cast<char>(0x80 + i);
    throw "not in Windows-1251";
}

// Zero-padded: a character takes one byte here, so the UTF-8 size is room enough.
template <std::size_t N>
consteval std::array<char, N> Convert(const Utf8Literal<N>& s) {
    std::array<char, N> out{};
    std::size_t o = 0;
    for (std::size_t i = 0; s.bytes[i] != '\0';) out[o++] = ByteOf(NextCodePoint(s.bytes, i));
    return out;
}

// One static array per distinct text.
template <Utf8Literal S>
struct Text {
    static constexpr std::array<char, sizeof S.bytes> bytes = Convert(S);
};

}  // namespace cp1251

// The byte 0x98, which stands for no character, becomes U+0098, so no byte is lost.
std::string Utf8FromCp1251(std::string_view bytes);

inline namespace literals {

// Zero-terminated, of static storage.
template <cp1251::Utf8Literal S>
consteval const char* operator""_cp1251() {
    return cp1251::Text<S>::bytes.data();
}

}  // namespace literals

}  // namespace velkaro
