#include "Tinctor/ImageProcess.h"

#include "Tinctor/ScratchPool.h"

namespace ImageProcess {

void Init() {}

void Uninit()
{
    ScratchPool::Release();
}

} // namespace ImageProcess
