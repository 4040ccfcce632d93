// The program's entry point.
#include "shell.h"
#include "progdir.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    ChangeToProgramDirectory();
    if (!InitApplication(instance))
        return 0;
    MSG message;
    // No accelerators and no IsDialogMessage: the modeless windows get no
    // dialog keyboard navigation.
    while (GetMessageW(&message, 0, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return (int)message.wParam;
}
