#pragma once
// Parameter record of the Open operation: the path the editing period was
// opened from. It has no serialised form.

#include <string>

#include "Recallo/IOptParam.h"

class OptParam_Open : public OperationManage::IOptParam {
public:
    /// An empty path; version 1, class name "OptParam_Open".
    OptParam_Open();
    /// A record holding `path`.
    explicit OptParam_Open(std::wstring path);

    /// Writes nothing: `out` is left as it was.
    void Serialize(std::vector<unsigned char>& out) override;
    /// Always false: the record cannot be read back.
    bool Unserialize(const std::vector<unsigned char>& in) override;
    /// False for null or a record of another class; else copies the path.
    bool CopyFrom(const OperationManage::IOptParam* other) override;
    /// "<IDS_VELMIRA_OPTPARAM_OPEN_FILEPATH>: <path>".
    void GetParamInfo(std::wstring& out) const override;
    /// Copies the path (not version or class name).
    void Assign(const OptParam_Open& other);

    std::wstring m_strFilePath;  ///< the opened file's path
};
