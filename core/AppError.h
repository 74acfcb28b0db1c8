// An error that ends the handler it is raised in; the handler's caller shows its text in
// the error box and the program goes on.
#pragma once

#include <stdexcept>
#include <string>

namespace velkaro {

class AppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The runtime's text for an I/O error code: 2 "File not found", ..., else "I/O error %d".
std::string IoErrorText(int code);

[[noreturn]] void RaiseIoError(int code);

}  // namespace velkaro
