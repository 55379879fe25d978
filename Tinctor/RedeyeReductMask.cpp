#include "Tinctor/RedeyeReductMask.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace ImageProcess {

namespace {

constexpr float ReddishLevel = 0.30f;
constexpr float RedLevel = 0.45f;
constexpr float MinRed = 50.0f;
// A second pupil must cover at least this share of the largest one's area.
constexpr float PupilShare = 0.25f;
// A pupil is a compact blob: its box is at most this much longer one way than
// the other (a pupil half hidden by the eyelid is twice as wide as high; lips
// are three or four times) ...
constexpr int MaxElongation = 5;  // in halves: 2.5
// ... and it fills at least this share of its box (a disk fills 0.79; a thin
// curve or a scatter of red pixels far less).
constexpr float MinFill = 0.35f;

// The extent of a group of pixels, to tell a pupil from other red shapes.
struct GroupShape {
    int pixels{0};
    int left{INT_MAX}, top{INT_MAX}, right{INT_MIN}, bottom{INT_MIN};

    void Add(int x, int y)
    {
        ++pixels;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    // True when the group is shaped like a pupil.
    bool IsCompact() const
    {
        const int width = right - left + 1, height = bottom - top + 1;
        const int longer = std::max(width, height), shorter = std::min(width, height);
        return 2 * longer <= MaxElongation * shorter &&
               static_cast<float>(pixels) >= MinFill * static_cast<float>(width) * static_cast<float>(height);
    }
};

} // namespace

RedeyeReductMask::RedeyeReductMask(const ImageBuffer& image, const RECT& area)
    : m_area(area), m_width(area.right - area.left), m_height(area.bottom - area.top)
{
    Label(image);
    KeepPupils();
}

float RedeyeReductMask::Redness(float red, float green, float blue)
{
    return (red - std::max(green, blue)) / (red + 1.0f);
}

float RedeyeReductMask::Weight(int x, int y) const
{
    return m_weight[static_cast<std::size_t>(y - m_area.top) * m_width + (x - m_area.left)];
}

// Weights from redness, then 8-connected groups of weighted pixels; a group
// without a clearly red pixel counts as having no area.
void RedeyeReductMask::Label(const ImageBuffer& image)
{
    const std::size_t cells = static_cast<std::size_t>(m_width) * m_height;
    m_weight.assign(cells, 0.0f);
    std::vector<std::uint8_t> red(cells, 0);
    for (int y = 0; y < m_height; ++y) {
        const unsigned char* row = image.RowFromTop(m_area.top + y);
        for (int x = 0; x < m_width; ++x) {
            const unsigned char* p = row + static_cast<std::size_t>(m_area.left + x) * image.bytesPerPixel;
            const float redness = Redness(p[2], p[1], p[0]);
            const float t = std::clamp((redness - ReddishLevel) / (RedLevel - ReddishLevel), 0.0f, 1.0f);
            const std::size_t i = static_cast<std::size_t>(y) * m_width + x;
            m_weight[i] = t * t * (3.0f - 2.0f * t);
            red[i] = redness >= RedLevel && p[2] >= MinRed;
        }
    }
    m_label.assign(cells, -1);
    for (int start = 0; start < static_cast<int>(cells); ++start)
        if (m_label[start] < 0 && m_weight[start] > 0.0f) m_groupArea.push_back(FloodGroup(start, red));
}

float RedeyeReductMask::FloodGroup(int start, const std::vector<std::uint8_t>& red)
{
    const int id = static_cast<int>(m_groupArea.size());
    float area = 0.0f;
    bool hasRed = false;
    GroupShape shape;
    std::vector<int> stack(1, start);
    m_label[start] = id;
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        area += m_weight[i];
        hasRed = hasRed || red[i];
        const int x = i % m_width;
        const int y = i / m_width;
        shape.Add(x, y);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx;
                const int ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= m_width || ny >= m_height) continue;
                const int n = ny * m_width + nx;
                if (m_label[n] >= 0 || m_weight[n] <= 0.0f) continue;
                m_label[n] = id;
                stack.push_back(n);
            }
    }
    return hasRed && shape.IsCompact() ? area : 0.0f;
}

void RedeyeReductMask::KeepPupils()
{
    const float largest = m_groupArea.empty() ? 0.0f : *std::max_element(m_groupArea.begin(), m_groupArea.end());
    m_empty = largest <= 0.0f;
    for (std::size_t i = 0; i < m_weight.size(); ++i) {
        const int id = m_label[i];
        if (id < 0 || m_empty || m_groupArea[static_cast<std::size_t>(id)] < PupilShare * largest) m_weight[i] = 0.0f;
    }
}

} // namespace ImageProcess
