// Resource ids of the log viewer.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_LOGSCOPE_DIALOG 102
#define IDC_LOG_LIST 1000
#define IDC_START_PAUSE 1001
#define IDC_ENDE 1002
#define IDC_LOG_LEVEL 1004
