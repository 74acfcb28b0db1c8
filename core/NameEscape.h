// Adapter and display names in price.txt and limits.txt: written as they are, except the
// bytes their line would lose or split at, each as "%XX": NUL, CR and LF; the field's
// separators; blanks and control characters at the ends of a trimmed field; a byte-order
// mark's first byte at the line's start; a "%" that would read as an escape. Reading turns
// back only those escapes, so any other "%", such as one written before, reads as itself.
#pragma once

#include <string>
#include <string_view>

namespace velkaro {

// What the line does to a field, as bits.
enum NameField : unsigned {
    kFieldTrimmed = 1,     // read trimmed of blanks and control characters
    kFieldStartsLine = 2,  // the first field of its line
    kFieldEndsAtBar = 4,   // ends at the first "|" of its line
    kFieldTabLine = 8,     // a line holding a TAB is not read
};

void AppendEscapedName(std::string& out, std::string_view name, unsigned field);
std::string UnescapedName(std::string_view text);

// "%XX" of a byte, in upper-case hexadecimal.
void AppendHexEscape(std::string& out, char c);
// The value of "0" to "9" and "A" to "F" (upper case only), or -1.
int HexValue(char c);

}  // namespace velkaro
