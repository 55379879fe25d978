#pragma once
// Base of the data records of the operations (the image snapshots).

#include "Recallo/SerializableObject.h"

namespace OperationManage {

class IOptData : public SerializableObject {
public:
    /// Assigns the record's class name to `out`.
    virtual void GetClassName(std::wstring& out) const { out = m_strClassName; }

protected:
    using SerializableObject::SerializableObject;
};

} // namespace OperationManage
