#pragma once
// Parameter records of the operations that no command of the program creates
// (resize, crop, the colour adjustments and filters). They exist so that the
// operators for those kinds can be used by a caller that builds such records;
// their serialised form is the base record's (the version alone).

#include <array>
#include <string>

#include "Tinctor/ImageProcess.h"
#include "operations/CopyableParam.h"
#include "platform/WinTypes.h"

/// Resize to a new size in pixels.
class OptParam_Resize final : public CopyableParam<OptParam_Resize> {
public:
    OptParam_Resize() : CopyableParam(L"OptParam_Resize") {}
    void Assign(const OptParam_Resize& o) { m_nWidth = o.m_nWidth; m_nHeight = o.m_nHeight; m_Algorithm = o.m_Algorithm; }
    /// "Size: W x H, Algorithm: N".
    void GetParamInfo(std::wstring& out) const override;
    int m_nWidth{0};
    int m_nHeight{0};
    ImageProcess::RESIZE_ALGORITHM m_Algorithm{ImageProcess::RESIZE_BICUBIC};
};

/// Fill the selection and, with the crop flag, cut the image to it.
class OptParam_Crop final : public CopyableParam<OptParam_Crop> {
public:
    OptParam_Crop() : CopyableParam(L"OptParam_Crop") {}
    void Assign(const OptParam_Crop& o) { m_bCrop = o.m_bCrop; m_crFillColor = o.m_crFillColor; }
    /// "Crop: yes|no, Fill color: RGB(r,g,b)".
    void GetParamInfo(std::wstring& out) const override;
    bool m_bCrop{true};
    COLORREF m_crFillColor{0};
};

/// Brightness (-255..255) then contrast (-100..100).
class OptParam_BrightnessContrast final : public CopyableParam<OptParam_BrightnessContrast> {
public:
    OptParam_BrightnessContrast() : CopyableParam(L"OptParam_BrightnessContrast") {}
    void Assign(const OptParam_BrightnessContrast& o) { m_nBrightness = o.m_nBrightness; m_nContrast = o.m_nContrast; }
    void GetParamInfo(std::wstring& out) const override;
    int m_nBrightness{0};
    int m_nContrast{0};
};

/// Levels added to red, green and blue (-255..255 each).
class OptParam_RGBColor final : public CopyableParam<OptParam_RGBColor> {
public:
    OptParam_RGBColor() : CopyableParam(L"OptParam_RGBColor") {}
    void Assign(const OptParam_RGBColor& o) { m_nRed = o.m_nRed; m_nGreen = o.m_nGreen; m_nBlue = o.m_nBlue; }
    void GetParamInfo(std::wstring& out) const override;
    int m_nRed{0};
    int m_nGreen{0};
    int m_nBlue{0};
};

/// Hue (degrees), saturation and value (-1..1) shifts.
class OptParam_HSV final : public CopyableParam<OptParam_HSV> {
public:
    OptParam_HSV() : CopyableParam(L"OptParam_HSV") {}
    void Assign(const OptParam_HSV& o) { m_dHue = o.m_dHue; m_dSaturation = o.m_dSaturation; m_dValue = o.m_dValue; }
    void GetParamInfo(std::wstring& out) const override;
    double m_dHue{0.0};
    double m_dSaturation{0.0};
    double m_dValue{0.0};
};

/// Levels: the histogram of the image and four channel blocks (master, red, green, blue).
class OptParam_Histogram final : public CopyableParam<OptParam_Histogram> {
public:
    OptParam_Histogram() : CopyableParam(L"OptParam_Histogram") {}
    void Assign(const OptParam_Histogram& o) { m_Histogram = o.m_Histogram; m_Params = o.m_Params; }
    void GetParamInfo(std::wstring& out) const override;
    ImageProcess::HISTOGRAM m_Histogram{};
    std::array<ImageProcess::HISTOGRAM_PARAMS, 4> m_Params{};
};

/// Curves: four 256-entry tables (master, red, green, blue), identity by default.
class OptParam_Curve final : public CopyableParam<OptParam_Curve> {
public:
    OptParam_Curve();
    void Assign(const OptParam_Curve& o) { m_Curves = o.m_Curves; }
    void GetParamInfo(std::wstring& out) const override;
    std::array<std::array<unsigned char, 256>, 4> m_Curves{};
};

/// White balance: the colour in the picture that should become neutral grey.
class OptParam_WhiteBalance final : public CopyableParam<OptParam_WhiteBalance> {
public:
    OptParam_WhiteBalance() : CopyableParam(L"OptParam_WhiteBalance") {}
    void Assign(const OptParam_WhiteBalance& o) { m_crReference = o.m_crReference; }
    void GetParamInfo(std::wstring& out) const override;
    COLORREF m_crReference{RGB(128, 128, 128)};
};

/// Gaussian blur radius in pixels.
class OptParam_GaussBlur final : public CopyableParam<OptParam_GaussBlur> {
public:
    OptParam_GaussBlur() : CopyableParam(L"OptParam_GaussBlur") {}
    void Assign(const OptParam_GaussBlur& o) { m_dRadius = o.m_dRadius; }
    void GetParamInfo(std::wstring& out) const override;
    double m_dRadius{1.0};
};

/// Unsharp mask: amount (per cent), radius (pixels), threshold (levels).
class OptParam_USMSharpen final : public CopyableParam<OptParam_USMSharpen> {
public:
    OptParam_USMSharpen() : CopyableParam(L"OptParam_USMSharpen") {}
    void Assign(const OptParam_USMSharpen& o) { m_nAmount = o.m_nAmount; m_dRadius = o.m_dRadius; m_nThreshold = o.m_nThreshold; }
    void GetParamInfo(std::wstring& out) const override;
    int m_nAmount{100};
    double m_dRadius{1.0};
    int m_nThreshold{0};
};
