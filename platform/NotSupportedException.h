#pragma once
// The exception raised for a request outside the fixed set a function
// supports (an unknown direction or mode): a programming error of the caller.

#include <stdexcept>
#include <string>

class CNotSupportedException : public std::logic_error {
public:
    /// An exception whose what() reads `message` (UTF-8).
    explicit CNotSupportedException(const std::string& message = "Request not supported.");
};

/// Throws CNotSupportedException; never returns.
[[noreturn]] void AfxThrowNotSupportedException();
