#include "io/Carrow.h"

#include "Tracewell/Log.h"
#include "Wordhoard/LocalizeHelper.h"
#include "io/EncoderCatalog.h"
#include "io/ImageMetadata.h"
#include "io/RegistryIO.h"

namespace Carrow {

namespace {

const wchar_t kModule[] = L"Carrow";
const wchar_t kInitFunction[] = L"Carrow::InitCarrow";

bool g_bInitialized = false;

FileIO::Status StartCodecs()
{
    FileIO::ImageMetadata::RouteExiv2Messages(true);
    return FileIO::EncoderCatalog::Encoders().empty() ? FileIO::Status::GenericError : FileIO::Status::Ok;
}

void StopCodecs()
{
    FileIO::ImageMetadata::RouteExiv2Messages(false);
}

} // namespace

int InitCarrow()
{
    if (g_bInitialized) return 1;
    InitLog();
    RegistryIO::RouteRegistryProblemsToLog();
    const FileIO::Status status = StartCodecs();
    if (status != FileIO::Status::Ok) {
        StopCodecs();
        WriteLog(LOG_LEVEL_ERROR, kModule, kInitFunction, L"Failed to call GdiplusStartup, returned: %d(Status).",
                 static_cast<int>(status));
        return 0;
    }
    // The codec start line keeps its long-standing wording for log readers.
    WriteLog(LOG_LEVEL_INFO, kModule, kInitFunction, L"GDIPlus startup.");
    if (!LocalizeHelper::Initialize()) {
        WriteLog(LOG_LEVEL_ERROR, kModule, kInitFunction, L"Failed to call LocalizeHelper::Initialize.");
        StopCodecs();
        return 0;
    }
    if (!LocalizeHelper::LoadDictionary(L"Lan.lc", "Dictionary"))
        WriteLog(LOG_LEVEL_WARNING, kModule, kInitFunction, L"Failed to load dictionary '%s'.", L"Lan.lc");
    g_bInitialized = true;
    return 1;
}

void UnInitCarrow()
{
    if (!g_bInitialized) return;
    LocalizeHelper::UnInitialize();
    StopCodecs();
    UninitLog();
    g_bInitialized = false;
}

} // namespace Carrow
