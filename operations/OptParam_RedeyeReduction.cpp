#include "operations/OptParam_RedeyeReduction.h"

#include "Wordhoard/LocalizeHelper.h"
#include "operations/RecordBytes.h"
#include "platform/WideFormat.h"

OptParam_RedeyeReduction::OptParam_RedeyeReduction() : CopyableParam(L"OptParam_RedeyeReduction") {}

void OptParam_RedeyeReduction::Serialize(std::vector<unsigned char>& out)
{
    out.assign(kSerializedSize, 0);
    RecordBytes::PutInt32(out, 0, m_nVersion);
    RecordBytes::PutInt32(out, 4, m_nDarkenAmount);
}

bool OptParam_RedeyeReduction::Unserialize(const std::vector<unsigned char>& in)
{
    switch (RecordBytes::CheckParamRecord(IOptParam::Unserialize(in), in, kSerializedSize,
                                          L"OptParam_RedeyeReduction")) {
    case RecordBytes::ParamCheck::Reject: return false;
    case RecordBytes::ParamCheck::Ignore: return true;
    case RecordBytes::ParamCheck::Read: break;
    }
    m_nDarkenAmount = RecordBytes::GetInt32(in, 4);
    return true;
}

void OptParam_RedeyeReduction::GetParamInfo(std::wstring& out) const
{
    out.clear();
    out += FormatWide(L"%s: %d%%\r\n",
                      LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_OPTPARAM_REDEYEREDUCTION_DARKENAMOUNT"),
                      m_nDarkenAmount);
}

void OptParam_RedeyeReduction::Assign(const OptParam_RedeyeReduction& other)
{
    m_rcRect = other.m_rcRect;
    m_nDarkenAmount = other.m_nDarkenAmount;
}

bool OptParam_RedeyeReduction::ReachesImage(LONG width, LONG height) const
{
    const RECT& r = m_rcRect;
    return r.left < r.right && r.top < r.bottom && r.right > 0 && r.bottom > 0 && r.left < width && r.top < height;
}
