#include "operations/OperatorFrame.h"

namespace OperatorFrame {

ImageData* CheckData(OperationManage::Operation& operation, const OperationManage::OPTGUID& kind,
                     const wchar_t* function)
{
    auto* data = dynamic_cast<ImageData*>(operation.m_pData);
    if (!OperationManage::IsOptGuidEqual(operation.m_Kind, kind) || !data) {
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", function, L"Invalid Argument.");
        return nullptr;
    }
    return data;
}

void LogParamInfo(const OperationManage::IOptParam& param, const wchar_t* function)
{
    std::wstring text;
    param.GetParamInfo(text);
    WriteLog(LOG_LEVEL_INFO, L"CorvaneLoader", function, L"ParamInfo: %s", text.c_str());
}

void LogNoParam(const wchar_t* function)
{
    WriteLog(LOG_LEVEL_INFO, L"CorvaneLoader", function, L"ParamInfo: Not Need.");
}

ImageData* CheckDataNoParam(OperationManage::Operation& operation, const OperationManage::OPTGUID& kind,
                            const wchar_t* function)
{
    ImageData* data = CheckData(operation, kind, function);
    if (data) LogNoParam(function);
    return data;
}

bool Fail(const wchar_t* function, const wchar_t* text)
{
    WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", function, L"%s", text);
    return false;
}

bool Succeeded(bool succeeded, const wchar_t* function, const wchar_t* failure)
{
    return succeeded || Fail(function, failure);
}

ImageProcess::PROCESS_REGION MakeRegion(const ImageData& data)
{
    ImageProcess::PROCESS_REGION region;
    if (data.m_pRegion) data.m_pRegion->GetRgnBox(&region.rect);
    region.mask = data.m_Mask;
    return region;
}

} // namespace OperatorFrame
