#include "Recallo/IOptParam.h"

namespace OperationManage {

bool IOptParam::Unserialize(const std::vector<unsigned char>& in)
{
    return SerializableObject::Unserialize(in);
}

} // namespace OperationManage
