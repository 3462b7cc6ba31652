// Resource ids of setup.exe.
#pragma once

#define IDD_SETUP 102
#define IDI_SETUP 128
#define IDB_BANNER 130
#define IDC_STATUS 1006
#define IDC_PICTURE 1007
#define IDC_PROGRESS 1008
