// Reading the numbers people type or files hold.
#pragma once

#include <string>

namespace velkaro {

// Reads a price text: blanks around allowed (the blank 0x20 only: a control character makes
// the text not a number), optional sign, digits with "," or "." as the decimal separator
// (whichever the text uses), optional exponent (E or e, signed). False when the text is not
// such a number. Negative values are read; refusing them is the caller's business.
bool TryReadPrice(const std::string& text, double& value);

// As TryReadPrice, but raises AppError "'<text>' is not a valid floating point value".
double ReadPrice(const std::string& text);

}  // namespace velkaro
