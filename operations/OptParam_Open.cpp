#include "operations/OptParam_Open.h"

#include "Wordhoard/LocalizeHelper.h"
#include "platform/WideFormat.h"

OptParam_Open::OptParam_Open() : CopyableParam(L"OptParam_Open") {}

OptParam_Open::OptParam_Open(std::wstring path) : CopyableParam(L"OptParam_Open"), m_strFilePath(std::move(path)) {}

void OptParam_Open::Serialize(std::vector<unsigned char>&) {}

bool OptParam_Open::Unserialize(const std::vector<unsigned char>&) { return false; }

void OptParam_Open::GetParamInfo(std::wstring& out) const
{
    out.clear();
    out += FormatWide(L"%s: %s", LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_OPTPARAM_OPEN_FILEPATH"),
                      m_strFilePath.c_str());
}

void OptParam_Open::Assign(const OptParam_Open& other) { m_strFilePath = other.m_strFilePath; }
