#include "operations/OptParam_HealingStroke.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Wordhoard/LocalizeHelper.h"
#include "operations/RecordBytes.h"
#include "platform/WideFormat.h"

namespace {

// The size a version-1 record must have for the point count it states; one
// no record can have when the count is out of range (or missing).
std::size_t ExpectedSize(const std::vector<unsigned char>& in)
{
    if (in.size() < OptParam_HealingStroke::kHeaderSize) return std::numeric_limits<std::size_t>::max();
    const std::int32_t count = RecordBytes::GetInt32(in, 8);
    if (count < 1 || static_cast<std::size_t>(count) > OptParam_HealingStroke::kMaxPoints)
        return std::numeric_limits<std::size_t>::max();
    return OptParam_HealingStroke::kHeaderSize + 8 * static_cast<std::size_t>(count);
}

double SegmentDistance(double px, double py, const POINT& a, const POINT& b)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0.0 ? std::clamp(((px - a.x) * dx + (py - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

// Liang-Barsky: does the segment from a to b meet the rectangle?
bool SegmentMeetsRect(const POINT& a, const POINT& b, double left, double top, double right, double bottom)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    double enter = 0.0, leave = 1.0;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x - left, right - a.x, a.y - top, bottom - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) enter = std::max(enter, t);
        else leave = std::min(leave, t);
        if (enter > leave) return false;
    }
    return true;
}

double PointRectDistance(const POINT& p, double left, double top, double right, double bottom)
{
    const double dx = std::max({left - p.x, 0.0, p.x - right});
    const double dy = std::max({top - p.y, 0.0, p.y - bottom});
    return std::hypot(dx, dy);
}

const wchar_t* Item(const wchar_t* key) { return LocalizeHelper::GetDictionaryItem("Dictionary", key); }

} // namespace

OptParam_HealingStroke::OptParam_HealingStroke() : CopyableParam(L"OptParam_HealingStroke") {}

void OptParam_HealingStroke::Serialize(std::vector<unsigned char>& out)
{
    out.assign(kHeaderSize + 8 * m_Path.size(), 0);
    RecordBytes::PutInt32(out, 0, m_nVersion);
    RecordBytes::PutInt32(out, 4, m_nSpotSize);
    RecordBytes::PutInt32(out, 8, static_cast<std::int32_t>(m_Path.size()));
    for (std::size_t i = 0; i < m_Path.size(); ++i) {
        RecordBytes::PutInt32(out, kHeaderSize + 8 * i, m_Path[i].x);
        RecordBytes::PutInt32(out, kHeaderSize + 8 * i + 4, m_Path[i].y);
    }
}

bool OptParam_HealingStroke::Unserialize(const std::vector<unsigned char>& in)
{
    switch (RecordBytes::CheckParamRecord(IOptParam::Unserialize(in), in, ExpectedSize(in), L"OptParam_HealingStroke")) {
    case RecordBytes::ParamCheck::Reject: return false;
    case RecordBytes::ParamCheck::Ignore: return true;
    case RecordBytes::ParamCheck::Read: break;
    }
    m_nSpotSize = RecordBytes::GetInt32(in, 4);
    m_Path.resize(static_cast<std::size_t>(RecordBytes::GetInt32(in, 8)));
    for (std::size_t i = 0; i < m_Path.size(); ++i)
        m_Path[i] = POINT{RecordBytes::GetInt32(in, kHeaderSize + 8 * i), RecordBytes::GetInt32(in, kHeaderSize + 8 * i + 4)};
    return true;
}

void OptParam_HealingStroke::GetParamInfo(std::wstring& out) const
{
    out.clear();
    out += FormatWide(L"%s: %d px\r\n", Item(L"IDS_VELMIRA_OPTPARAM_HEALINGSTROKE_SIZE"), m_nSpotSize);
    out += FormatWide(L"%s: %d %s", Item(L"IDS_VELMIRA_OPTPARAM_HEALINGSTROKE_PATH"), static_cast<int>(m_Path.size()),
                      Item(L"IDS_VELMIRA_OPTPARAM_HEALINGSTROKE_POINTS"));
    if (m_Path.empty()) return;
    out += FormatWide(L", (%d, %d)", m_Path.front().x, m_Path.front().y);
    if (m_Path.size() > 1) out += FormatWide(L" ... (%d, %d)", m_Path.back().x, m_Path.back().y);
}

void OptParam_HealingStroke::Assign(const OptParam_HealingStroke& other)
{
    m_nSpotSize = other.m_nSpotSize;
    m_Path = other.m_Path;
}

bool OptParam_HealingStroke::ReachesImage(LONG width, LONG height) const
{
    if (m_Path.empty() || width < 1 || height < 1 || m_nSpotSize < 1) return false;
    const double reach = (2 * (m_nSpotSize / 2) + 1) / 2.0 + 0.5;
    const std::vector<POINT>& path = m_Path;
    const double right = width - 1.0, bottom = height - 1.0;
    const double corners[4][2] = {{0.0, 0.0}, {right, 0.0}, {0.0, bottom}, {right, bottom}};
    for (std::size_t i = 0; i < path.size(); ++i) {
        const POINT& a = path[i == 0 ? 0 : i - 1];
        const POINT& b = path[i];
        if (SegmentMeetsRect(a, b, 0.0, 0.0, right, bottom)) return true;
        double distance = std::min(PointRectDistance(a, 0.0, 0.0, right, bottom), PointRectDistance(b, 0.0, 0.0, right, bottom));
        for (const auto& corner : corners) distance = std::min(distance, SegmentDistance(corner[0], corner[1], a, b));
        if (distance < reach) return true;
    }
    return false;
}
