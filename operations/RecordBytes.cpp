#include "operations/RecordBytes.h"

#include <cstring>
#include <string>

#include "Tracewell/Log.h"

namespace RecordBytes {

void PutInt32(std::vector<unsigned char>& out, std::size_t offset, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<unsigned char>((u >> (8 * i)) & 0xFF);
}

std::int32_t GetInt32(const std::vector<unsigned char>& in, std::size_t offset)
{
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(in[offset + i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

void PutFloat(std::vector<unsigned char>& out, std::size_t offset, float value)
{
    std::int32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    PutInt32(out, offset, bits);
}

float GetFloat(const std::vector<unsigned char>& in, std::size_t offset)
{
    const std::int32_t bits = GetInt32(in, offset);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

ParamCheck CheckParamRecord(bool baseAccepted, const std::vector<unsigned char>& in, std::size_t sizeV1,
                            const wchar_t* className)
{
    const std::wstring function = std::wstring(className) + L"::Unserialize";
    if (!baseAccepted || in.empty()) {
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", function.c_str(), L"Invalid parameter data size or version.");
        return ParamCheck::Reject;
    }
    // Only the first byte of the version is looked at, as every reader of
    // these records does.
    if (in[0] != 1) return ParamCheck::Ignore;
    if (in.size() != sizeV1) {
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", function.c_str(), L"Invalid parameter data size for version %d.",
                 1);
        return ParamCheck::Reject;
    }
    return ParamCheck::Read;
}

} // namespace RecordBytes
