#include "Tinctor/ImageProcess.h"

namespace ImageProcess {

void Init() {}
void Uninit() {}

} // namespace ImageProcess
