#include "Recallo/Operation.h"

namespace OperationManage {

Operation::~Operation()
{
    delete m_pParam;
    delete m_pData;
}

} // namespace OperationManage
