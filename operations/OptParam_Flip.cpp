#include "operations/OptParam_Flip.h"

#include "Wordhoard/LocalizeHelper.h"
#include "operations/RecordBytes.h"
#include "platform/WideFormat.h"

OptParam_Flip::OptParam_Flip() : CopyableParam(L"OptParam_Flip") {}

void OptParam_Flip::Serialize(std::vector<unsigned char>& out)
{
    out.assign(kSerializedSize, 0);
    RecordBytes::PutInt32(out, 0, m_nVersion);
    RecordBytes::PutInt32(out, 4, m_bVertical ? 1 : 0);
}

bool OptParam_Flip::Unserialize(const std::vector<unsigned char>& in)
{
    switch (RecordBytes::CheckParamRecord(IOptParam::Unserialize(in), in, kSerializedSize, L"OptParam_Flip")) {
    case RecordBytes::ParamCheck::Reject: return false;
    case RecordBytes::ParamCheck::Ignore: return true;
    case RecordBytes::ParamCheck::Read: break;
    }
    m_bVertical = RecordBytes::GetInt32(in, 4) != 0;
    return true;
}

void OptParam_Flip::GetParamInfo(std::wstring& out) const
{
    out.clear();
    out += FormatWide(L"%s: %s", LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_OPTPARAM_FLIP_MODE"),
                      LocalizeHelper::GetDictionaryItem("Dictionary", m_bVertical ? L"IDS_VELMIRA_OPTPARAM_VERTICAL"
                                                                                  : L"IDS_VELMIRA_OPTPARAM_HORIZONTAL"));
}

void OptParam_Flip::Assign(const OptParam_Flip& other) { m_bVertical = other.m_bVertical; }
