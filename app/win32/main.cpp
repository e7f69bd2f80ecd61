// Quillora for Windows: builds the Win32 platform objects and runs the application object.
#include <windows.h>

#include <objbase.h>

#include "adapters/win32/Win32Clock.h"
#include "adapters/win32/Win32CodePage.h"
#include "adapters/win32/Win32DialogHost.h"
#include "adapters/win32/Win32FileDialogs.h"
#include "adapters/win32/Win32FileSystem.h"
#include "adapters/win32/Win32MessageBoxes.h"
#include "adapters/win32/Win32Registry.h"
#include "adapters/win32/Win32Shell.h"
#include "adapters/win32/Win32TempFolder.h"
#include "ui/ArticleApp.h"
#include "ui/WindowTemplate.h"

// The program reads no command line.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Every text is bytes in the system's ANSI code page.
    quillora::CodePage::SetActive(quillora::Win32CodePage::OfSystem());
    // The shell and the file dialogs may use COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    quillora::Win32FileSystem fileSystem;
    quillora::Win32Registry registry;
    quillora::Win32Clock clock;
    quillora::Win32DialogHost dialogHost(instance, quillora::MainWindowTemplate());
    quillora::Win32MessageBoxes messageBoxes(&dialogHost);
    quillora::Win32FileDialogs fileDialogs(&dialogHost);
    quillora::Win32Shell shell;
    quillora::Win32TempFolder tempFolder;

    quillora::ArticleApp application(
        quillora::Platform{fileSystem, registry, clock, messageBoxes, fileDialogs, dialogHost, shell, tempFolder});
    const int status = application.StartUp();
    if (SUCCEEDED(com)) CoUninitialize();
    return status;
}
