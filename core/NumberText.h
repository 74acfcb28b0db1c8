// Reading the numbers people type or files hold.
#pragma once

#include <string>
#include <string_view>

namespace velkaro {

// Reads a price text: blanks around allowed (the blank 0x20 only: a control character makes
// the text not a number), optional sign, digits with "," or "." as the decimal separator
// (whichever the text uses), optional exponent (E or e, signed). False when the text is not
// such a number. Negative values are read; refusing them is the caller's business.
bool TryReadPrice(const std::string& text, double& value);

// Reads the day a billing period begins on: a whole number of 1 to 31 in decimal digits,
// blanks (0x20) around allowed. False for any other text.
bool ReadPeriodDay(std::string_view text, int& day);

// As TryReadPrice, but raises AppError "'<text>' is not a valid floating point value".
double ReadPrice(const std::string& text);

}  // namespace velkaro
