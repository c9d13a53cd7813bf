#pragma once

// Numbers of the dialog templates, the icon, the controls and the commands of the user interface.
#include "platform/win_types.h"

constexpr UINT IDD_ABOUTBOX = 100;
constexpr UINT IDD_TEST_DIALOG = 102;
constexpr UINT IDR_MAINFRAME = 128;

// Commands shared by every dialog.
constexpr int IDC_OK_COMMAND = 1;
constexpr int IDC_CANCEL_COMMAND = 2;

// Controls of the main test dialog.
constexpr int IDC_CLOSE = 1;
constexpr int IDC_VIEW_REPORT = 3;
constexpr int IDC_TEST = 1001;
constexpr int IDC_STATUS = 1003;
constexpr int IDC_PROGRESS = 1004;
constexpr int IDC_URL = 1005;
constexpr int IDC_CANCEL_TEST = 1007;
constexpr int IDC_STATIC = -1;

// The About and Results items that the main dialog adds to its window menu.
constexpr UINT IDM_ABOUTBOX = 0x0010;
constexpr UINT IDM_RESULTS = 0x0020;
constexpr UINT SC_SIZE = 0xF000;
constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_MAXIMIZE = 0xF030;
constexpr UINT SC_CLOSE = 0xF060;
