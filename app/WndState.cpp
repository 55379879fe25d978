#include "app/WndState.h"

#include "Tracewell/Log.h"
#include "operations/RecordBytes.h"

CWndState::CWndState(std::wstring name) : m_strName(std::move(name)) {}

void CWndState::Serialize(std::vector<unsigned char>& out)
{
    out.assign(kSerializedSize, 0);
    RecordBytes::PutInt32(out, 0, 1);
    RecordBytes::PutInt32(out, 4, m_bVisible ? 1 : 0);
    RecordBytes::PutInt32(out, 8, m_nShowState);
    RecordBytes::PutInt32(out, 12, m_rcWindow.left);
    RecordBytes::PutInt32(out, 16, m_rcWindow.top);
    RecordBytes::PutInt32(out, 20, m_rcWindow.right);
    RecordBytes::PutInt32(out, 24, m_rcWindow.bottom);
}

BOOL CWndState::Unserialize(const std::vector<unsigned char>& in)
{
    // Records of another version are accepted and ignored, so a newer
    // program's record never blocks an older one.
    if (in.empty() || in[0] != 1) return TRUE;
    if (in.size() != kSerializedSize) {
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", L"CWndState::Unserialize",
                 L"Invalid parameter data size for version %d.", 1);
        return FALSE;
    }
    m_bVisible = RecordBytes::GetInt32(in, 4);
    m_nShowState = RecordBytes::GetInt32(in, 8);
    if (m_nShowState >= 3) m_nShowState = SHOW_NORMAL;
    m_rcWindow = {RecordBytes::GetInt32(in, 12), RecordBytes::GetInt32(in, 16), RecordBytes::GetInt32(in, 20),
                  RecordBytes::GetInt32(in, 24)};
    return TRUE;
}
