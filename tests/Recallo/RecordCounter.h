#pragma once
// Test records that count their constructions and destructions, to prove
// that entries free their records exactly once.

#include <atomic>
#include <string>

#include "Recallo/Operation.h"

class RecordCounter {
public:
    static void Reset()
    {
        s_params = 0;
        s_data = 0;
        s_alive = 0;
    }
    static int ParamsDestroyed() { return s_params; }
    static int DataDestroyed() { return s_data; }
    /// Records constructed and not yet destroyed.
    static int Alive() { return s_alive; }

    static inline std::atomic<int> s_params{0};
    static inline std::atomic<int> s_data{0};
    static inline std::atomic<int> s_alive{0};
};

class CountingParam : public OperationManage::IOptParam {
public:
    CountingParam() : IOptParam(L"CountingParam") { ++RecordCounter::s_alive; }
    ~CountingParam() override
    {
        ++RecordCounter::s_params;
        --RecordCounter::s_alive;
    }
    bool CopyFrom(const IOptParam* other) override { return other != nullptr; }
    void GetParamInfo(std::wstring& out) const override { out = L"counting"; }
};

class CountingData : public OperationManage::IOptData {
public:
    CountingData() : IOptData(L"CountingData") { ++RecordCounter::s_alive; }
    ~CountingData() override
    {
        ++RecordCounter::s_data;
        --RecordCounter::s_alive;
    }
};

/// A heap entry carrying one counting record of each kind.
inline OperationManage::Operation* MakeOperation()
{
    auto* op = new OperationManage::Operation;
    op->m_pParam = new CountingParam;
    op->m_pData = new CountingData;
    return op;
}
