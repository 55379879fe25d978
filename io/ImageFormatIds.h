#pragma once
// Identifiers of image containers, pixel layouts, encoders and encoder
// parameters. The numbers are those of the Windows imaging API (GDI+), kept as
// our own identifiers so that callers and stored records can exchange them
// unchanged.

#include "platform/Guid.h"
#include "platform/WinTypes.h"

namespace Carrow::FileIO {

// --- Container formats ("raw formats") ----------------------------------------

inline constexpr GUID ImageFormatUndefined{0xB96B3CA9, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatMemoryBMP{0xB96B3CAA, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatBMP{0xB96B3CAB, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatJPEG{0xB96B3CAE, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatPNG{0xB96B3CAF, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatGIF{0xB96B3CB0, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatTIFF{0xB96B3CB1, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatIcon{0xB96B3CB5, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

/// The all-zero GUID: "no format" / "the format the file was read in".
inline constexpr GUID GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// --- Encoder class identifiers ------------------------------------------------

inline constexpr GUID EncoderClsidBMP{0x557CF400, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID EncoderClsidJPEG{0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID EncoderClsidTIFF{0x557CF405, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID EncoderClsidPNG{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// --- Encoder parameters -------------------------------------------------------

inline constexpr GUID EncoderQuality{0x1D5BE4B5, 0xFA4A, 0x452D, {0x9C, 0xDD, 0x5D, 0xB3, 0x51, 0x05, 0xE7, 0xEB}};
inline constexpr GUID EncoderCompression{0xE09D739D, 0xCCD4, 0x44EE, {0x8E, 0xBA, 0x3F, 0xBF, 0x8B, 0xE4, 0xFC, 0x58}};

/// Value type of an encoder parameter holding 32-bit integers.
inline constexpr ULONG EncoderParameterValueTypeLong = 4;

/// TIFF compression values (`EncoderCompression`).
enum EncoderValue : LONG {
    EncoderValueCompressionLZW = 2,
    EncoderValueCompressionCCITT3 = 3,
    EncoderValueCompressionCCITT4 = 4,
    EncoderValueCompressionRle = 5,
    EncoderValueCompressionNone = 6,
};

/// One encoder parameter: `NumberOfValues` values of type `Type` at `Value`
/// (not owned; must outlive the encoding call).
struct EncoderParameter {
    GUID Guid;
    ULONG NumberOfValues;
    ULONG Type;
    const void* Value;
};

// --- Pixel formats ------------------------------------------------------------
// Bits 8 to 15 of a value are its bits per pixel.

enum PixelFormatId : int {
    PixelFormatUndefined = 0,
    PixelFormat1bppIndexed = 0x30101,
    PixelFormat4bppIndexed = 0x30402,
    PixelFormat8bppIndexed = 0x30803,
    PixelFormat16bppGrayScale = 0x101004,
    PixelFormat16bppRGB555 = 0x21005,
    PixelFormat16bppRGB565 = 0x21006,
    PixelFormat16bppARGB1555 = 0x61007,
    PixelFormat24bppRGB = 0x21808,
    PixelFormat32bppRGB = 0x22009,
    PixelFormat32bppARGB = 0x26200A,
    PixelFormat32bppPARGB = 0xE200B,
    PixelFormat48bppRGB = 0x10300C,
    PixelFormat64bppARGB = 0x34400D,
    PixelFormat64bppPARGB = 0x1C400E,
    PixelFormat32bppCMYK = 0x200F,
};

/// Bits per pixel of a pixel-format value ((format >> 8) & 0xFF).
constexpr WORD PixelFormatBits(int pixelFormat)
{
    return static_cast<WORD>((pixelFormat >> 8) & 0xFF);
}

// --- Status of codec operations -----------------------------------------------

/// Outcome of a decoding or encoding step, numbered as the imaging API's
/// `Status` so that log lines carry the familiar numbers.
enum class Status : int {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    NotImplemented = 6,
    Win32Error = 7,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
};

} // namespace Carrow::FileIO
