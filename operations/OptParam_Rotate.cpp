#include "operations/OptParam_Rotate.h"

#include "Wordhoard/LocalizeHelper.h"
#include "operations/RecordBytes.h"
#include "platform/WideFormat.h"

namespace {

const wchar_t* Item(const wchar_t* key) { return LocalizeHelper::GetDictionaryItem("Dictionary", key); }

const wchar_t* ModeText(std::int32_t mode)
{
    switch (mode) {
    case OptParam_Rotate::ROTATE_FREE: return Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_MODE_FREE");
    case OptParam_Rotate::ROTATE_90: return Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_MODE_90");
    case OptParam_Rotate::ROTATE_180: return Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_MODE_180");
    default: return L"";
    }
}

} // namespace

OptParam_Rotate::OptParam_Rotate() : CopyableParam(L"OptParam_Rotate") {}

void OptParam_Rotate::Serialize(std::vector<unsigned char>& out)
{
    out.assign(kSerializedSize, 0);
    RecordBytes::PutInt32(out, 0, m_nVersion);
    RecordBytes::PutInt32(out, 4, m_nMode);
    RecordBytes::PutInt32(out, 8, m_bClockwise ? 1 : 0);
    RecordBytes::PutFloat(out, 12, m_fAngle);
    RecordBytes::PutInt32(out, 16, static_cast<std::int32_t>(m_crFillColor));
}

bool OptParam_Rotate::Unserialize(const std::vector<unsigned char>& in)
{
    switch (RecordBytes::CheckParamRecord(IOptParam::Unserialize(in), in, kSerializedSize, L"OptParam_Rotate")) {
    case RecordBytes::ParamCheck::Reject: return false;
    case RecordBytes::ParamCheck::Ignore: return true;
    case RecordBytes::ParamCheck::Read: break;
    }
    m_nMode = in[4];  // the mode's first byte alone is significant
    m_bClockwise = RecordBytes::GetInt32(in, 8) != 0;
    m_fAngle = RecordBytes::GetFloat(in, 12);
    m_crFillColor = static_cast<COLORREF>(RecordBytes::GetInt32(in, 16));
    return true;
}

void OptParam_Rotate::GetParamInfo(std::wstring& out) const
{
    out.clear();
    out += FormatWide(L"%s: %s\r\n", Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_MODE"), ModeText(m_nMode));
    out += FormatWide(L"%s: %.1f\r\n", Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_ANGLE"), static_cast<double>(m_fAngle));
    out += FormatWide(L"%s: %s\r\n", Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_CLOCKWISE"),
                      Item(m_bClockwise ? L"IDS_VELMIRA_OPTPARAM_YES" : L"IDS_VELMIRA_OPTPARAM_NO"));
    out += FormatWide(L"%s: RGB(%d,%d,%d)", Item(L"IDS_VELMIRA_OPTPARAM_ROTATE_FILLCOLOR"),
                      GetRValue(m_crFillColor), GetGValue(m_crFillColor), GetBValue(m_crFillColor));
}

void OptParam_Rotate::Assign(const OptParam_Rotate& other)
{
    m_nMode = other.m_nMode;
    m_bClockwise = other.m_bClockwise;
    m_fAngle = other.m_fAngle;
    m_crFillColor = other.m_crFillColor;
}
