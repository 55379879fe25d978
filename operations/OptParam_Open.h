#pragma once
// Parameter record of the Open operation: the path the editing period was
// opened from. It has no serialised form.

#include <string>

#include "operations/CopyableParam.h"

class OptParam_Open : public CopyableParam<OptParam_Open> {
public:
    /// An empty path; version 1, class name "OptParam_Open".
    OptParam_Open();
    /// A record holding `path`.
    explicit OptParam_Open(std::wstring path);

    /// Writes nothing: `out` is left as it was.
    void Serialize(std::vector<unsigned char>& out) override;
    /// Always false: the record cannot be read back.
    bool Unserialize(const std::vector<unsigned char>& in) override;
    /// "<IDS_VELMIRA_OPTPARAM_OPEN_FILEPATH>: <path>".
    void GetParamInfo(std::wstring& out) const override;
    /// Copies the path (not version or class name).
    void Assign(const OptParam_Open& other);

    std::wstring m_strFilePath;  ///< the opened file's path
};
