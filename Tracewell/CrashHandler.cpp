#include "Tracewell/CrashHandler.h"

void EnableSEHandler() {}
void DisableSEHandler() {}
