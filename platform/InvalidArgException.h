#pragma once
// The exception raised for an argument a function must never receive (a null
// path, an empty name): a programming error of the caller.

#include <stdexcept>
#include <string>

class CInvalidArgException : public std::invalid_argument {
public:
    /// An exception whose what() reads `message` (UTF-8).
    explicit CInvalidArgException(const std::string& message = "Invalid argument.");
};

/// Throws CInvalidArgException; never returns.
[[noreturn]] void AfxThrowInvalidArgException();
