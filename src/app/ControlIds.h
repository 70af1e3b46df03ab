#pragma once
// Control ids, dialog templates and commands, as the windows, the tests and the Windows resource
// script (which includes this file) know them. Nothing but #define lines, so the resource
// compiler reads the same numbers as the C++ compiler; IDOK and IDCANCEL are spelled as the
// system headers spell them, so either may come first.

// Templates and resources of the Windows program.
#define IDD_ABOUTBOX 100
#define IDD_DAXTOOL_DIALOG 102
#define IDR_MAINFRAME 128 // the program icon
#define IDR_ACCELERATORS 130
#define IDD_WAIT 131

// Control ids of the main dialog.
#define IDC_NONE 0
#define IDOK 1
#define IDCANCEL 2
#define IDC_INQUIRY_ID 1000
#define IDC_UPDATE_FLASH 1001
#define IDC_ABOUT 1002
#define IDC_STATUS 1003
#define IDC_PRINT_GRID 1006
#define IDC_CALIBRATE_ROTATOR 1007
#define IDC_EXIT 1012
#define IDC_UPDATE_SERIAL 1013
#define IDC_PORT 1014
#define IDC_FLASH_LEDS 1015
#define IDC_BAUD_TEXT 1019
#define IDC_CALIBRATE_POCKET 1020
#define IDC_TRANSPORTER_SN 1021
#define IDC_PRINTER_SN 1022
#define IDC_TEST 1023
#define IDC_PRINTER_B_SN 1024
#define IDC_PRINTER_SN_LABEL 1034
#define IDC_PRINTER_B_SN_LABEL 1035
#define IDC_EXERCISER 1047
#define IDC_DISPLAY_NAME 1048
#define IDC_ENABLE_SHUTDOWN 1050
#define IDC_SET_PARAMS 1051
#define IDC_COUNT_PRINT 1052
#define IDC_COUNT_RIBBON 1053
#define IDC_COUNT_IMAGE 1054
#define IDC_OVERRIDE_NAME 1055
#define IDC_BEEPS 1056
#define IDC_BEEPS_SPIN 1057
#define IDC_USE_COMPUTER_NAME 1058
#define IDC_DISABLE_CHECK 1059
#define IDC_PROGRESS 1060 // the firmware download's progress, beside the status

// The "Scanning..." box's message.
#define IDC_WAIT_MESSAGE 1024

// The controls that start something: they look disabled while an operation runs, so that
// nobody takes the window for hung or expects a click to queue up. Exit stays.
inline constexpr int kCommandControls[] = {
    IDC_UPDATE_FLASH,  IDC_ABOUT,      IDC_PRINT_GRID, IDC_CALIBRATE_ROTATOR,
    IDC_UPDATE_SERIAL, IDC_PORT,       IDC_FLASH_LEDS, IDC_CALIBRATE_POCKET,
    IDC_TEST,          IDC_SET_PARAMS, IDC_EXERCISER,
};

// Labels of the About box.
#define IDC_ABOUT_DATE 1035
#define IDC_ABOUT_VERSION 1036
#define IDC_ABOUT_LEGAL 1037

// The calibration dialogs: templates, the pocket-disc picture, and their controls.
#define IDD_POCKET 132
#define IDB_POCKET_DISC 133
#define IDD_ROTATIONAL 134
#define IDC_CAL_EXIT 1
#define IDC_LEFT_OFFSET 1004
#define IDC_RIGHT_OFFSET 1005
#define IDC_LEFT_MARGIN 1016
#define IDC_TOP_MARGIN 1017
#define IDC_CAL_TEST 1023
#define IDC_CAL_STATUS 1024
#define IDC_SIZE_58 1025 // first of the CD Size group
#define IDC_SIZE_61 1026
#define IDC_SIZE_63 1027
#define IDC_ANGLE 1028
#define IDC_ANGLE_SPIN 1029
#define IDC_SAVE_OFFSET 1031
#define IDC_RESTORE_DEFAULT 1032
#define IDC_PRINTER_A 1033 // first of the printer group
#define IDC_PRINTER_B 1034

// Commands that come from the keyboard and the window menu.
#define ID_CONTEXT_HELP 32771      // Ctrl+Help: no handler
#define ID_COUNTER_TO_SERIAL 32772 // Ctrl+P
#define IDM_ABOUTBOX 0x0010
