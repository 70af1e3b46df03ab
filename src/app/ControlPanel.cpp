#include "app/ControlPanel.h"

#include "app/PortList.h"

namespace dax {

ControlPanel::ControlPanel() {
    m_controls[IDC_FLASH_LEDS].text = "Flash &Leds";
    m_controls[IDC_UPDATE_FLASH].text = "Update &Flash Firmware";
    m_controls[IDC_PRINT_GRID].text = "Print Calibration &Grid";
    m_controls[IDC_PORT].items = PortList().Texts();
    m_controls[IDC_BAUD_TEXT].text = "Current Baud Rate:  38400";
    m_controls[IDC_DISABLE_CHECK].text =
        "Disable Update Flash Firmware device compatibility checking";
    m_controls[IDC_CALIBRATE_ROTATOR].text = "&Calibrate Rotator";
    m_controls[IDC_CALIBRATE_POCKET].text = "Calibrate Poc&ket CDs";
    m_controls[IDC_OVERRIDE_NAME].text = "Override Name";
    m_controls[IDC_ENABLE_SHUTDOWN].text = "Enable Shutdown";
    m_controls[IDC_USE_COMPUTER_NAME].text = "Use Computer Name";
    m_controls[IDC_SET_PARAMS].text = "Set Params";
    m_controls[IDC_PRINTER_SN_LABEL].text = "Printer SN:";
    m_controls[IDC_PRINTER_B_SN_LABEL].text = "Printer B SN:";
    m_controls[IDC_PRINTER_B_SN_LABEL].visible = false;
    m_controls[IDC_PRINTER_B_SN].visible = false;
    m_controls[IDC_UPDATE_SERIAL].text = "&Update Serial #s";
    m_controls[IDC_TEST].text = "Test";
    m_controls[IDC_TEST].visible = false;
    m_controls[IDC_EXERCISER].text = "&Exerciser";
    m_controls[IDC_EXIT].text = "E&xit";
    m_controls[IDC_ABOUT].text = "&About";
}

const ControlPanel::Control* ControlPanel::Find(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : &it->second;
}

} // namespace dax
