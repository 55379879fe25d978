#pragma once
// Identifier of an operation kind: 16 bytes in the layout of a GUID.

#include "platform/WinTypes.h"

namespace OperationManage {

using OPTGUID = GUID;

/// Copies `source` into `destination`.
void OptGuidCopy(OPTGUID& destination, const OPTGUID& source);

/// True when both identifiers hold the same 16 bytes.
bool IsOptGuidEqual(const OPTGUID& a, const OPTGUID& b);

} // namespace OperationManage
