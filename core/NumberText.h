// Reading the numbers people type or files hold.
#pragma once

#include <string>
#include <string_view>

namespace velkaro {

// Blanks (0x20 only) around, optional sign, "," or "." as decimal separator, optional signed
// exponent. False when the text is not such a number; refusing negatives is the caller's job.
bool TryReadPrice(const std::string& text, double& value);

// 1 to 31 in decimal digits, blanks (0x20) around allowed. False for any other text.
bool ReadPeriodDay(std::string_view text, int& day);

// Throws AppError "'<text>' is not a valid floating point value".
double ReadPrice(const std::string& text);

}  // namespace velkaro
