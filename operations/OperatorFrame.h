#pragma once
// The checks and helpers every operator shares (internal to the operators).

#include <string>

#include "Recallo/Operation.h"
#include "Tinctor/ImageProcess.h"
#include "Tracewell/Log.h"
#include "operations/ImageData.h"

namespace OperatorFrame {

/// The operation's ImageData when the kind is `kind` and a data record is
/// attached; otherwise logs "Invalid Argument." under `function` and returns null.
ImageData* CheckData(OperationManage::Operation& operation, const OperationManage::OPTGUID& kind,
                     const wchar_t* function);

/// The parameter record as `Param` (null, logged as "Invalid Argument.",
/// when there is none or it is of another class).
template <class Param>
const Param* CheckParam(OperationManage::Operation& operation, const wchar_t* function)
{
    const auto* param = dynamic_cast<const Param*>(operation.m_pParam);
    if (!param)
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", function, L"Invalid Argument.");
    return param;
}

/// Logs "ParamInfo: <text>" at level 3.
void LogParamInfo(const OperationManage::IOptParam& param, const wchar_t* function);
/// Logs "ParamInfo: Not Need." at level 3.
void LogNoParam(const wchar_t* function);
/// Logs `text` at level 1 and returns false.
bool Fail(const wchar_t* function, const wchar_t* text);

/// The area of an adjustment: the selection's bounding box and mask, both
/// empty (the whole image) when the ImageData has no selection.
ImageProcess::PROCESS_REGION MakeRegion(const ImageData& data);

} // namespace OperatorFrame
