#pragma once
// The frame every operator shares (internal to the operators): the checks of
// the operation's kind and records, the "ParamInfo" log line, and the log line
// of a failed library call. Every check and log line goes out under the
// operator's own function name ("Operator_<Kind>::Process"), which the caller
// passes in. All of it may run on any thread; none of it keeps state.

#include <string>

#include "Recallo/Operation.h"
#include "Tinctor/ImageProcess.h"
#include "Tracewell/Log.h"
#include "operations/ImageData.h"

namespace OperatorFrame {

/// Whether an operator logs the text of its parameter record before it works.
enum class ParamLog {
    Write,  ///< logs "ParamInfo: <text>" at level 3
    Silent, ///< logs nothing (the red-eye operator)
};

/// The records an operator works on: both set once every check has passed,
/// both null after a failed check.
template <class Param>
struct Records {
    ImageData* data{nullptr};
    const Param* param{nullptr};
};

/// The operation's ImageData when the kind is `kind` and a data record is
/// attached; otherwise logs "Invalid Argument." (level 1) under `function`
/// and returns null.
ImageData* CheckData(OperationManage::Operation& operation, const OperationManage::OPTGUID& kind,
                     const wchar_t* function);

/// The parameter record as `Param`; null, logged as "Invalid Argument."
/// (level 1) under `function`, when there is none or it is of another class.
template <class Param>
const Param* CheckParam(OperationManage::Operation& operation, const wchar_t* function)
{
    const auto* param = dynamic_cast<const Param*>(operation.m_pParam);
    if (!param)
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", function, L"Invalid Argument.");
    return param;
}

/// Logs "ParamInfo: <text>" at level 3, the text being the record's own.
void LogParamInfo(const OperationManage::IOptParam& param, const wchar_t* function);
/// Logs "ParamInfo: Not Need." at level 3.
void LogNoParam(const wchar_t* function);

/// The checks of an operator that reads a `Param` record: kind and data record
/// (CheckData), then the parameter record (CheckParam), stopping at the first
/// that fails (one "Invalid Argument." line). After the checks it logs the
/// record's text unless `paramLog` is Silent. Both records null on failure.
template <class Param>
Records<Param> CheckRecords(OperationManage::Operation& operation, const OperationManage::OPTGUID& kind,
                            const wchar_t* function, ParamLog paramLog = ParamLog::Write)
{
    ImageData* data = CheckData(operation, kind, function);
    const Param* param = data ? CheckParam<Param>(operation, function) : nullptr;
    if (!param) return {};
    if (paramLog == ParamLog::Write) LogParamInfo(*param, function);
    return {data, param};
}

/// The checks of an operator that reads no parameter record: kind and data
/// record (CheckData), then "ParamInfo: Not Need." once they passed.
/// The ImageData, or null after a failed check.
ImageData* CheckDataNoParam(OperationManage::Operation& operation, const OperationManage::OPTGUID& kind,
                            const wchar_t* function);

/// Logs `text` at level 1 under `function` and returns false.
bool Fail(const wchar_t* function, const wchar_t* text);

/// Passes on the result of a library call: `succeeded` as it is, logging
/// `failure` at level 1 under `function` when it is false.
bool Succeeded(bool succeeded, const wchar_t* function, const wchar_t* failure);

/// The area of an adjustment: the selection's bounding box and mask, both
/// empty (the whole image) when the ImageData has no selection.
ImageProcess::PROCESS_REGION MakeRegion(const ImageData& data);

} // namespace OperatorFrame
