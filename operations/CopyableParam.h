#pragma once
// The CopyFrom every parameter record of the program shares: a record of the
// same class is copied through the record's own Assign, anything else is
// refused.

#include "Recallo/IOptParam.h"

/// Base of the parameter record `Derived`, which provides
/// `void Assign(const Derived& other)` copying its kind-specific fields (not
/// the version or class name).
template <class Derived>
class CopyableParam : public OperationManage::IOptParam {
public:
    /// False for null or a record of another class; else copies the fields
    /// through Assign.
    bool CopyFrom(const OperationManage::IOptParam* other) override
    {
        const auto* same = dynamic_cast<const Derived*>(other);
        if (!same) return false;
        static_cast<Derived&>(*this).Assign(*same);
        return true;
    }

protected:
    /// A version-1 record with class name `className`.
    explicit CopyableParam(const wchar_t* className) : IOptParam(className) {}
};
