// Process entry for programs built on the framework. Both entry flavours are
// provided: WinMain (the default of the MinGW start-up code) and wWinMain
// (used when a program links with -municode). Programs that define main()
// themselves, like test executables, are not affected.
#include "WinApp.h"

int gFrameworkEntryPointAnchor = 0;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) { return AfxWinMain(instance, showCommand); }

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    return AfxWinMain(instance, showCommand);
}
