#include <windows.h>

#include <gmock/gmock.h>

#include "framework/Controls.h"

// Test programs under Wine: the common controls are registered once before any dialog is made.
int main(int argc, char** argv) {
    discdeck::fw::InitCommonControls();
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
