#include "Recallo/OptGuid.h"

#include <cstring>

namespace OperationManage {

void OptGuidCopy(OPTGUID& destination, const OPTGUID& source)
{
    std::memcpy(&destination, &source, sizeof(OPTGUID));
}

bool IsOptGuidEqual(const OPTGUID& a, const OPTGUID& b)
{
    return std::memcmp(&a, &b, sizeof(OPTGUID)) == 0;
}

} // namespace OperationManage
