#pragma once
// Polymorphic base of every record that can be written to and read from a
// byte vector.

#include <cstdint>
#include <string>
#include <vector>

namespace OperationManage {

class SerializableObject {
public:
    virtual ~SerializableObject() = default;

    /// Resizes `out` to the record's serialised size and writes the record.
    /// The base writes its 32-bit version, little-endian.
    virtual void Serialize(std::vector<unsigned char>& out);

    /// Reads the record from `in`; false when `in` does not hold a valid
    /// record. The base only checks that `in` holds a 32-bit version.
    virtual bool Unserialize(const std::vector<unsigned char>& in);

    std::int32_t m_nVersion{1};   ///< record version, 1 for every record of this program
    std::wstring m_strClassName;  ///< the record's class name, set by its constructor

protected:
    SerializableObject() = default;
    explicit SerializableObject(std::wstring className) : m_strClassName(std::move(className)) {}
    SerializableObject(const SerializableObject&) = default;
    SerializableObject& operator=(const SerializableObject&) = default;
};

} // namespace OperationManage
