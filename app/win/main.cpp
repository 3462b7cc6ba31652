#include <windows.h>

#include "app/win/PlayerApp.h"

namespace {
// The application object exists once, before WinMain runs.
discdeck::PlayerApp application;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return application.Run(instance, commandLine);
}
