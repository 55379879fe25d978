#include "Recallo/SerializableObject.h"

#include <cstring>

namespace OperationManage {

void SerializableObject::Serialize(std::vector<unsigned char>& out)
{
    out.resize(sizeof(m_nVersion));
    std::memcpy(out.data(), &m_nVersion, sizeof(m_nVersion));
}

bool SerializableObject::Unserialize(const std::vector<unsigned char>& in)
{
    return in.size() >= sizeof(std::int32_t);
}

} // namespace OperationManage
