#include "core/NameEscape.h"

#include "core/DataFile.h"

namespace velkaro {

namespace {

constexpr char kEscape = '%';
constexpr unsigned char kByteOrderMarkStart = 0xEF;

// The bytes an escape stands for.
bool IsEscapable(unsigned char c) {
    return IsTrimmed(static_cast<char>(c)) || c == kEscape || c == '|' || c == kByteOrderMarkStart;
}

// The byte of the escape that begins at s[i], or -1 when none does.
int EscapedByteAt(std::string_view s, std::size_t i) {
    if (s[i] != kEscape || i + 2 >= s.size()) return -1;
    const int high = HexValue(s[i + 1]);
    const int low = HexValue(s[i + 2]);
    if (high < 0 || low < 0) return -1;
    const int byte = high * 16 + low;
    return IsEscapable(static_cast<unsigned char>(byte)) ? byte : -1;
}

}  // namespace

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendHexEscape(std::string& out, char c) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    out += kEscape;
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 15];
}

void AppendEscapedName(std::string& out, std::string_view name, unsigned field) {
    // The bytes the trimming of the field would take away: [0, keepFrom) and [keepTo, size).
    const std::string_view kept = field & kFieldTrimmed ? Trim(name) : name;
    const std::size_t keepFrom = static_cast<std::size_t>(kept.data() - name.data());
    const std::size_t keepTo = keepFrom + kept.size();
    const bool byteOrderMark = (field & kFieldStartsLine) && name.starts_with("\xEF\xBB\xBF");
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool escaped = c == '\0' || c == '\r' || c == '\n' || i < keepFrom || i >= keepTo ||
                             (c == '|' && (field & kFieldEndsAtBar)) || (c == '\t' && (field & kFieldTabLine)) ||
                             (i == 0 && byteOrderMark) || EscapedByteAt(name, i) >= 0;
        if (escaped)
            AppendHexEscape(out, c);
        else
            out += c;
    }
}

std::string UnescapedName(std::string_view text) {
    if (text.find(kEscape) == std::string_view::npos) return std::string(text);
    std::string name;
    name.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int byte = EscapedByteAt(text, i);
        if (byte < 0) {
            name += text[i];
            continue;
        }
        name += static_cast<char>(byte);
        i += 2;
    }
    return name;
}

}  // namespace velkaro
