#include "platform/InvalidArgException.h"

CInvalidArgException::CInvalidArgException(const std::string& message) : std::invalid_argument(message)
{
}

void AfxThrowInvalidArgException()
{
    throw CInvalidArgException();
}
