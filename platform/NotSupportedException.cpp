#include "platform/NotSupportedException.h"

CNotSupportedException::CNotSupportedException(const std::string& message) : std::logic_error(message)
{
}

void AfxThrowNotSupportedException()
{
    throw CNotSupportedException();
}
