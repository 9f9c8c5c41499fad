#pragma once
// Dialogs and controls of ControlPanel-Panorel2.exe, shared by its resource
// script and its code.
#define IDD_CONTROLPANEL 100
#define IDD_EDITPROGRAM 101

// Desktop n's name, Ctrl, Alt, key and status are IDC_NAME1 + n - 1 and so
// on; the panel's row uses index 0 of the hotkey columns.
#define IDC_NAME1 1001
#define IDC_CTRL0 1010
#define IDC_ALT0 1020
#define IDC_KEY0 1030
#define IDC_STATUS0 1040
#define IDC_PROGDESK 1050
#define IDC_PROGLIST 1051
#define IDC_ADD 1052
#define IDC_EDIT 1053
#define IDC_REMOVE 1054
#define IDC_SIGNIN 1060
#define IDC_RUNSTATE 1061
#define IDC_QUITSTART 1062
#define IDC_APPLY 1063
#define IDC_COMMANDLINE 1070
#define IDC_BROWSE 1071
