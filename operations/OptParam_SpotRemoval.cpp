#include "operations/OptParam_SpotRemoval.h"

#include <algorithm>
#include <limits>

#include "Wordhoard/LocalizeHelper.h"
#include "operations/RecordBytes.h"
#include "platform/WideFormat.h"

OptParam_SpotRemoval::OptParam_SpotRemoval() : CopyableParam(L"OptParam_SpotRemoval") {}

void OptParam_SpotRemoval::Serialize(std::vector<unsigned char>& out)
{
    out.assign(kSerializedSize, 0);
    RecordBytes::PutInt32(out, 0, m_nVersion);
    RecordBytes::PutInt32(out, 4, m_nSpotSize);
    RecordBytes::PutInt32(out, 8, m_nX);
    RecordBytes::PutInt32(out, 12, m_nY);
}

bool OptParam_SpotRemoval::Unserialize(const std::vector<unsigned char>& in)
{
    switch (RecordBytes::CheckParamRecord(IOptParam::Unserialize(in), in, kSerializedSize, L"OptParam_SpotRemoval")) {
    case RecordBytes::ParamCheck::Reject: return false;
    case RecordBytes::ParamCheck::Ignore: return true;
    case RecordBytes::ParamCheck::Read: break;
    }
    m_nSpotSize = RecordBytes::GetInt32(in, 4);
    m_nX = RecordBytes::GetInt32(in, 8);
    m_nY = RecordBytes::GetInt32(in, 12);
    return true;
}

void OptParam_SpotRemoval::GetParamInfo(std::wstring& out) const
{
    out.clear();
    out += FormatWide(L"%s: %d px\r\n",
                      LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_OPTPARAM_SPOTREMOVAL_SIZE"),
                      m_nSpotSize);
    out += FormatWide(L"%s: (%d, %d)",
                      LocalizeHelper::GetDictionaryItem("Dictionary", L"IDS_VELMIRA_OPTPARAM_SPOTREMOVAL_POSITION"),
                      m_nX, m_nY);
}

void OptParam_SpotRemoval::Assign(const OptParam_SpotRemoval& other)
{
    m_nSpotSize = other.m_nSpotSize;
    m_nX = other.m_nX;
    m_nY = other.m_nY;
}

namespace {

// Positions read from a record or a command line may be anywhere in the
// 32-bit range: the square's edges are worked out in 64 bits and clamped.
LONG Clamped(long long value)
{
    return static_cast<LONG>(std::clamp<long long>(value, std::numeric_limits<LONG>::min(),
                                                   std::numeric_limits<LONG>::max()));
}

} // namespace

RECT OptParam_SpotRemoval::GetSquare() const
{
    const long long half = m_nSpotSize / 2;
    return RECT{Clamped(m_nX - half), Clamped(m_nY - half), Clamped(m_nX + half + 1), Clamped(m_nY + half + 1)};
}

bool OptParam_SpotRemoval::ReachesImage(LONG width, LONG height) const
{
    const RECT square = GetSquare();
    return square.right > 0 && square.bottom > 0 && square.left < width && square.top < height;
}
