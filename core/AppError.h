// An error that ends the handler it is raised in; the handler's caller shows its text in
// the error box and the program goes on.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace velkaro {

class AppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The runtime's text for an I/O error code: 2 "File not found", ..., else "I/O error %d".
std::string IoErrorText(int code);

// A write of one of the program's files that failed, with the name it was written under.
class FileWriteError : public AppError {
public:
    FileWriteError(int code, std::string name) : AppError(IoErrorText(code)), file(std::move(name)) {}
    std::string file;
};

}  // namespace velkaro
