// Resource and control ids of discdeck.exe (dialogs, strings, artwork, controls): the one place
// they are numbered; the code names them from here.
#pragma once

// Strings
#define IDS_ABOUTBOX 101
#define IDS_SOCKETS_INIT_FAILED 103

// Dialogs
#define IDD_PLAYER 102
#define IDD_DATABASE_PREVIEW 261

// Icons (the tray icon's id is its resource id)
#define IDI_PLAYER 215
#define IDI_TRACK 266
#define IDI_DISC 267

// Cursors
#define IDC_CURSOR_BUSY 207
#define IDC_CURSOR_NORMAL 209
#define IDC_CURSOR_DRAG 212

// Bitmaps: the face, the slider's thumb and track, and the button strips (named after their ids)
#define IDB_FACE 162
#define IDB_THUMB 254
#define IDB_TRACK 255

// System menu entry (its command id must stay below 0xF000)
#define IDM_ABOUTBOX 16

// Player window controls
#define IDC_REPORT_LIST 1000
#define IDC_CDDB_HELP 1003
#define IDC_VERSION 1004
#define IDC_SITES 1005
#define IDC_STAT 1006
#define IDC_MOTD 1007
#define IDC_DATABASE 1008
#define IDC_SERVER 1011
#define IDC_PORT 1012
#define IDC_CATEGORIES 1013
#define IDC_LOOKUP 1015
#define IDC_DISC_ID 1017
#define IDC_CATEGORY 1018
#define IDC_LYRICS 1019
#define IDC_SAVE_LIST 1029
#define IDC_ANIMATION 1031
#define IDC_PLAY 1032
#define IDC_STOP 1033
#define IDC_PAUSE 1034
#define IDC_REWIND 1035
#define IDC_FORWARD 1036
#define IDC_EXIT 1037
#define IDC_HIDE 1038
#define IDC_EJECT 1039
#define IDC_ABOUT 1040
#define IDC_SLIDER 1045
#define IDC_TITLE_LINE 1047
#define IDC_REPEAT_TRACK 1051
#define IDC_REPEAT_DISC 1052
#define IDC_RANDOM 1053
#define IDC_SAMPLE 1054

// Database preview controls
#define IDC_PREVIEW_TREE 1055
#define IDC_PREVIEW_REPORT 1056
#define IDC_PREVIEW_TRACKS 1057
#define IDC_PREVIEW_COUNTS 1060
