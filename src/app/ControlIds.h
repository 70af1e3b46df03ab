#pragma once

namespace dax {

// Control ids of the main dialog, as the window and the tests know them.
enum ControlId : int {
    IDC_NONE = 0,
    IDOK = 1,
    IDCANCEL = 2,
    IDC_INQUIRY_ID = 1000,
    IDC_UPDATE_FLASH = 1001,
    IDC_ABOUT = 1002,
    IDC_STATUS = 1003,
    IDC_PRINT_GRID = 1006,
    IDC_CALIBRATE_ROTATOR = 1007,
    IDC_EXIT = 1012,
    IDC_UPDATE_SERIAL = 1013,
    IDC_PORT = 1014,
    IDC_FLASH_LEDS = 1015,
    IDC_BAUD_TEXT = 1019,
    IDC_CALIBRATE_POCKET = 1020,
    IDC_TRANSPORTER_SN = 1021,
    IDC_PRINTER_SN = 1022,
    IDC_TEST = 1023,
    IDC_PRINTER_B_SN = 1024,
    IDC_PRINTER_SN_LABEL = 1034,
    IDC_PRINTER_B_SN_LABEL = 1035,
    IDC_EXERCISER = 1047,
    IDC_DISPLAY_NAME = 1048,
    IDC_ENABLE_SHUTDOWN = 1050,
    IDC_SET_PARAMS = 1051,
    IDC_COUNT_PRINT = 1052,
    IDC_COUNT_RIBBON = 1053,
    IDC_COUNT_IMAGE = 1054,
    IDC_OVERRIDE_NAME = 1055,
    IDC_BEEPS = 1056,
    IDC_BEEPS_SPIN = 1057,
    IDC_USE_COMPUTER_NAME = 1058,
    IDC_DISABLE_CHECK = 1059,
};

// The controls that start something: they look disabled while an operation runs, so that
// nobody takes the window for hung or expects a click to queue up. Exit stays.
inline constexpr int kCommandControls[] = {
    IDC_UPDATE_FLASH,  IDC_ABOUT,      IDC_PRINT_GRID, IDC_CALIBRATE_ROTATOR,
    IDC_UPDATE_SERIAL, IDC_PORT,       IDC_FLASH_LEDS, IDC_CALIBRATE_POCKET,
    IDC_TEST,          IDC_SET_PARAMS, IDC_EXERCISER,
};

// Labels of the About box.
enum AboutControlId : int {
    IDC_ABOUT_DATE = 1035,
    IDC_ABOUT_VERSION = 1036,
    IDC_ABOUT_LEGAL = 1037,
};

// The calibration dialogs: templates, the pocket-disc picture, and their controls.
enum CalibrationDialogId : int {
    IDD_POCKET = 132,
    IDB_POCKET_DISC = 133,
    IDD_ROTATIONAL = 134,
};

enum CalibrationControlId : int {
    IDC_CAL_EXIT = IDOK,
    IDC_LEFT_OFFSET = 1004,
    IDC_RIGHT_OFFSET = 1005,
    IDC_LEFT_MARGIN = 1016,
    IDC_TOP_MARGIN = 1017,
    IDC_CAL_TEST = 1023,
    IDC_CAL_STATUS = 1024,
    IDC_SIZE_58 = 1025, // first of the CD Size group
    IDC_SIZE_61 = 1026,
    IDC_SIZE_63 = 1027,
    IDC_ANGLE = 1028,
    IDC_ANGLE_SPIN = 1029,
    IDC_SAVE_OFFSET = 1031,
    IDC_RESTORE_DEFAULT = 1032,
    IDC_PRINTER_A = 1033, // first of the printer group
    IDC_PRINTER_B = 1034,
};

// Commands that come from the keyboard and the window menu.
enum CommandId : int {
    ID_COUNTER_TO_SERIAL = 32772, // Ctrl+P
    ID_CONTEXT_HELP = 32771,      // Ctrl+Help: no handler
    IDM_ABOUTBOX = 0x0010,
};

} // namespace dax
