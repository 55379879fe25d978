#pragma once
// One entry of the history: parameter record, data record, kind, display name.

#include <string>

#include "Recallo/IOptData.h"
#include "Recallo/IOptParam.h"
#include "Recallo/OptGuid.h"

namespace OperationManage {

class Operation {
public:
    /// An empty entry: no records, the all-zero kind, no name.
    Operation() = default;
    /// Deletes the parameter and data records attached to the entry.
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // The records are attached as raw pointers by the callers and owned by the
    // entry from then on: only the destructor releases them.
    IOptParam* m_pParam{nullptr};
    IOptData* m_pData{nullptr};
    OPTGUID m_Kind{};
    std::wstring m_strName;
};

} // namespace OperationManage
