#include "operations/AdjustmentParams.h"

#include "platform/WideFormat.h"

void OptParam_Resize::GetParamInfo(std::wstring& out) const
{
    out = FormatWide(L"Size: %d x %d, Algorithm: %d", m_nWidth, m_nHeight, static_cast<int>(m_Algorithm));
}

void OptParam_Crop::GetParamInfo(std::wstring& out) const
{
    out = FormatWide(L"Crop: %s, Fill color: RGB(%d,%d,%d)", m_bCrop ? L"yes" : L"no", GetRValue(m_crFillColor),
                     GetGValue(m_crFillColor), GetBValue(m_crFillColor));
}

void OptParam_BrightnessContrast::GetParamInfo(std::wstring& out) const
{
    out = FormatWide(L"Brightness: %d, Contrast: %d", m_nBrightness, m_nContrast);
}

void OptParam_RGBColor::GetParamInfo(std::wstring& out) const
{
    out = FormatWide(L"Red: %d, Green: %d, Blue: %d", m_nRed, m_nGreen, m_nBlue);
}

void OptParam_HSV::GetParamInfo(std::wstring& out) const
{
    out = FormatWide(L"Hue: %.1f, Saturation: %.2f, Value: %.2f", m_dHue, m_dSaturation, m_dValue);
}

void OptParam_Histogram::GetParamInfo(std::wstring& out) const
{
    const auto& m = m_Params[ImageProcess::HISTOGRAM_MASTER];
    out = FormatWide(L"Levels: input %d-%d, gamma %.2f, output %d-%d", m.inputLow, m.inputHigh, m.gamma, m.outputLow,
                     m.outputHigh);
}

OptParam_Curve::OptParam_Curve() : CopyableParam(L"OptParam_Curve")
{
    for (auto& curve : m_Curves)
        for (int i = 0; i < 256; ++i) curve[i] = static_cast<unsigned char>(i);
}

void OptParam_Curve::GetParamInfo(std::wstring& out) const { out = L"Curves: master, red, green, blue"; }

void OptParam_WhiteBalance::GetParamInfo(std::wstring& out) const
{
    out = FormatWide(L"Reference color: RGB(%d,%d,%d)", GetRValue(m_crReference), GetGValue(m_crReference),
                     GetBValue(m_crReference));
}

void OptParam_GaussBlur::GetParamInfo(std::wstring& out) const { out = FormatWide(L"Radius: %.1f", m_dRadius); }

void OptParam_USMSharpen::GetParamInfo(std::wstring& out) const
{
    out = FormatWide(L"Amount: %d%%, Radius: %.1f, Threshold: %d", m_nAmount, m_dRadius, m_nThreshold);
}
