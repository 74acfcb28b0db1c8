// Adapter and display names in the lines of price.txt and limits.txt. A name is written as it
// is, except for the bytes its line would otherwise lose or split at, each written as "%" and
// two upper-case hexadecimal digits:
//  - NUL, CR and LF anywhere (line ends, and the mark of a damaged line);
//  - the separators the field's line is split at (NameField);
//  - blanks and control characters at either end of a field that is trimmed when read;
//  - the first byte of a UTF-8 byte-order mark at the start of the line's first field;
//  - a "%" that would otherwise read as one of these escapes.
// So an ordinary name is written byte for byte as it always was. Reading turns back only
// those escapes (of the bytes 00 to 20, "%", "|" and EF): any other "%" of a file, such as
// one written before, reads as itself.
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

}  // namespace velkaro
