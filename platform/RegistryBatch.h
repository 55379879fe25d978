#pragma once
// Groups registry changes into one all-or-nothing step: while a batch is
// open, every registry call of the thread that opened it on the same hive
// (the same root key) joins one transaction, which Commit writes. A batch
// dropped without Commit, or a process that dies before it, keeps none of the
// changes. Meanwhile calls of other threads on that hive wait for the batch
// to end, so keep batches short and never wait for such a thread inside one.
//
//   CRegistryBatch batch(HKEY_CURRENT_USER);
//   ... RegSetValueEx calls ...
//   batch.Commit();
//
// When the batch cannot be opened (GetStartResult() says why), the calls run
// and commit one by one as usual. On Windows, where the system registry has
// no such grouping here, every batch is of that kind.

#include <memory>

#include "platform/Registry.h"

class CRegistryHive;

class CRegistryBatch {
public:
    /// Opens a batch on the hive of `key` (a root key or an open handle),
    /// waiting while another thread's batch on that hive is open.
    explicit CRegistryBatch(HKEY key);
    /// Drops the batch's changes unless Commit ran.
    ~CRegistryBatch();
    CRegistryBatch(const CRegistryBatch&) = delete;
    CRegistryBatch& operator=(const CRegistryBatch&) = delete;

    /// ERROR_SUCCESS when the batch is open; otherwise why not (ERROR_BUSY:
    /// this thread already has a batch on that hive, whose changes the calls
    /// join; ERROR_INVALID_HANDLE: `key` is not open; ERROR_NOT_SUPPORTED).
    LONG GetStartResult() const { return m_startResult; }

    /// Writes every change of the batch and ends it. ERROR_SUCCESS when they
    /// are all stored; otherwise none of them is (a call in the batch met a
    /// damaged hive or a full disk). When the batch never opened, returns
    /// ERROR_SUCCESS: each call already committed itself.
    LONG Commit();

private:
    std::shared_ptr<CRegistryHive> m_hive; // the hive holding the open batch; null once ended
    LONG m_startResult;
};
