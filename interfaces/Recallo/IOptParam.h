#pragma once
// Base of the parameter records of the operations.

#include "Recallo/SerializableObject.h"

namespace OperationManage {

class IOptParam : public SerializableObject {
public:
    /// False for input too short to hold a 32-bit version. Derived records
    /// call this first and read their own fields only when it returns true.
    bool Unserialize(const std::vector<unsigned char>& in) override;

    /// Copies the kind-specific fields of `other` (a record of the same class);
    /// false for null.
    virtual bool CopyFrom(const IOptParam* other) = 0;

    /// Assigns the record's class name to `out`.
    virtual void GetClassName(std::wstring& out) const { out = m_strClassName; }

    /// Clears `out` and appends a human-readable text of the parameters.
    virtual void GetParamInfo(std::wstring& out) const = 0;

protected:
    using SerializableObject::SerializableObject;
};

} // namespace OperationManage
