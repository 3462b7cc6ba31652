#pragma once

// Dialog and control ids of the framework test program's resources.
#define IDD_FRAMEWORK_TEST 100
#define IDC_HOSTED_BUTTON 10
#define IDC_PLAIN_BUTTON 11
#define IDC_PORT_EDIT 12
#define IDC_SERVER_EDIT 13
#define IDC_LIST 14
#define IDC_CHECK 15
#define IDS_FRAMEWORK_TEXT 200
