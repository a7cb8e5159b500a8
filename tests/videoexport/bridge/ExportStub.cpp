// Stand-ins for ZelvoExp32 in the bridge tests, built twice:
// RECORDING_STUB exports both entry points; its AviOptionDlg writes the record
// it was given into "stub-options.bin" and the AVI path into
// "stub-avi-path.txt" (both in the current folder) and answers Cancel.
// Without it only AviOptionDlg is exported, which leaves "stub-dialog-ran"
// and answers Start: the bridge must never get that far.
#include "ZelvoExp32.h"
#include <cstdio>

namespace {

void WriteFile(const char* name, const void* bytes, size_t size)
{
    if (FILE* out = fopen(name, "wb")) {
        fwrite(bytes, 1, size, out);
        fclose(out);
    }
}

}  // namespace

extern "C" __declspec(dllexport) int WINAPI AviOptionDlg(HWND, AviExportOptions* options)
{
#ifdef RECORDING_STUB
    WriteFile("stub-options.bin", options, sizeof *options);
    if (options->aviPath) WriteFile("stub-avi-path.txt", options->aviPath, lstrlenA(options->aviPath));
    return 0;
#else
    WriteFile("stub-dialog-ran", "ran", 3);
    return 1;
#endif
}

#ifdef RECORDING_STUB
extern "C" __declspec(dllexport) HWND WINAPI AnsToAvi(const ExportWindowParams*, const char*, const char*, AviExportOptions*)
{
    WriteFile("stub-export-ran", "ran", 3);
    return nullptr;
}
#endif
