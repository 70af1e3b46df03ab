#include "devices/CHalcyra.h"
#include "devices/ProductRecognition.h"
#include "devices/RecogniseTransporter.h"
#include "flow/ScriptedTransporter.h"
#include "platform/fake/FakePrinterDevices.h"
#include "printers/CParallelPort.h"
#include "printers/CUsbPrinterPort.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>

using namespace dax;
using namespace dax::flow;

namespace {

const char kUsbA[] = "\\\\?\\usb#vid_044e&pid_200a#A#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
const char kUsbB[] = "\\\\?\\usb#vid_044e&pid_200a#B#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

Inquiry Halcyra(uint32_t count = 96, std::string revision = "3.16 ") {
    return {.product = "QUENTAR CD XPTR ",
            .revision = std::move(revision),
            .count = count,
            .printerName = "CD-R Inkographer",
            .printerRevision = "5.021"};
}

// Retry/Cancel boxes: recorded, and answered Retry while `retry` says so.
class ScriptedBoxes : public NoInteraction {
public:
    bool AskRetryCancel(const std::string& text) override {
        boxes.push_back(text);
        return retry && retry();
    }
    std::vector<std::string> boxes;
    std::function<bool()> retry;
};

struct HalcyraFlow : ::testing::Test {
    ScriptedTransporter t;
    ScriptedBoxes ui;
    FakePrinterDevices printers;

    HalcyraFlow() {
        t.printerBSense = 0;
        t.refusals["!f12602C"] = t.refusals["!f12612C"] = {3, 0}; // no drawer is out
    }
    std::unique_ptr<CHalcyra> Make(const Inquiry& inquiry = Halcyra()) {
        EXPECT_TRUE(IsHalcyraInquiry(ReceivedInquiry(inquiry).data(), inquiry.count));
        return std::make_unique<CHalcyra>(t.port.get(), t.clock, ui, PrinterAccess{&printers, {}});
    }
};

} // namespace

TEST_F(HalcyraFlow, RecognisedAfterTheTransportersWithItsPrinterCount) {
    const auto buffer = ReceivedInquiry(Halcyra());
    auto device = RecogniseTransporter(buffer.data(), 96, t.port.get(), t.clock, ui);
    auto* h = dynamic_cast<CHalcyra*>(device.get());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(std::tuple(h->m_nPrinters, h->m_nPrinterRevision), std::tuple(2, 5021));
    EXPECT_EQ(Make(Halcyra(64))->m_nPrinters, 1);

    // Start-up firmware: nothing is sent, and printer B's serial cannot be read.
    auto boot = Make(Halcyra(96, "1.00 "));
    boot->Initialize();
    EXPECT_TRUE(boot->m_bOtpFirmware);
    EXPECT_TRUE(t.Sent().empty());
    std::string serial;
    EXPECT_FALSE(boot->GetPrinterSerial2(serial));
    EXPECT_EQ(boot->GetErrorText(), "GetPrinterSerial2 failed - OTP firmware");
}

TEST_F(HalcyraFlow, AUsbPortMatchedToPrinterALeavesTheParallelPortsClosed) {
    FakePrinter& usb = printers.AddUsbPrinter(kUsbA);
    FakePrinter& lpt1 = printers.AddPort("LPT1");
    DrawerOpenedThrough(usb, t, "!f12602C");
    auto h = Make();
    h->Initialize();
    EXPECT_EQ(h->UsbPort(0)->GetDevicePath(), kUsbA);
    EXPECT_EQ(lpt1.opens, 0);
    EXPECT_EQ(h->m_nPrinters, 1); // printer B found no port
    // Printer A's alignment probe follows the match.
    EXPECT_EQ(t.Sent(), "!f10020C !f0280C !f@261C !f22610C !f@260C !f22600C !f12602C !f0260C !a3H "
                        "!e1C");
    EXPECT_TRUE(h->SupportsAlignPasses());
}

TEST_F(HalcyraFlow, WithoutUsbLpt2IsTriedAfterLpt1FailsToOpen) {
    printers.AddPort("LPT1").openError = 16;
    FakePrinter& lpt2 = printers.AddPort("LPT2");
    DrawerOpenedThrough(lpt2, t, "!f12612C");
    auto h = Make();
    h->Initialize();
    ASSERT_NE(h->ParallelPort(1), nullptr);
    EXPECT_STREQ(h->ParallelPort(1)->GetName(), "LPT2");
    EXPECT_EQ(h->OpenParallelCount(), 1);
}

TEST_F(HalcyraFlow, DrawerHeightsChooseTheDrive) {
    auto h = Make();
    for (const auto& [height, drive] :
         {std::pair(15149, 241), std::pair(15150, 242), std::pair(47729, 250)}) {
        t.ElementValue(240, height);
        EXPECT_TRUE(h->FindOpenDrive()) << height;
        EXPECT_EQ(h->FoundDrive(), drive) << height;
    }
    // Above the last drive (and above what 16 bits hold) is no drive.
    for (int height : {47730, 80000}) {
        t.ElementValue(240, height);
        EXPECT_FALSE(h->FindOpenDrive()) << height;
        EXPECT_EQ(h->FoundDrive(), 243);
    }
}

TEST_F(HalcyraFlow, LoadTurnsTheDiscOntoTheSelectedPrinterOrPutsItStraightOn) {
    auto h = Make();
    t.ElementValue(240, 16000);
    ASSERT_TRUE(h->LoadPrinter(90));
    EXPECT_EQ(t.Sent(), "!e1C !f12402C !f0240C !f12004C !f12423C !f12427C !f32601100954C "
                        "!f12606C [12]");
    h->SelectPrinter(1);
    ASSERT_TRUE(h->ReloadPrinter(-1));
    EXPECT_EQ(t.Sent(), "!e1C !f12614C !f12423C !f12427C !f12615C [12]");

    // A disc that does not reach the printer goes to the reject bin; the reason stays.
    t.refusals["!f12615C"] = {5, 0};
    EXPECT_FALSE(h->ReloadPrinter(-1));
    EXPECT_EQ(t.Sent(), "!e1C !f12614C !f12423C !f12427C !f12615C !e1C !f12015C");
    EXPECT_EQ(h->GetErrorText(), "Transporter: Illegal Request");
    // A refused rotation ends the transfer there: the disc is not moved to the reject bin.
    h->SelectPrinter(0);
    t.refusals["!f32601100954C"] = {5, 0};
    EXPECT_FALSE(h->ReloadPrinter(90));
    EXPECT_EQ(t.Sent(), "!e1C !f12604C !f12423C !f12427C !f32601100954C !e1C");
    EXPECT_EQ(h->GetErrorText(), "Transporter: Illegal Request");
}

TEST_F(HalcyraFlow, RetryCancelBoxesAndPickerRecovery) {
    auto h = Make();
    t.ElementValue(240, 16000);
    // No drawer open: the person is asked; Retry after opening one goes on, Cancel ends.
    t.refusals["!f12402C"] = {3, 0};
    ui.retry = [&] { return t.refusals.erase("!f12402C") == 1; };
    EXPECT_TRUE(h->FindOpenDrive());
    EXPECT_EQ(ui.boxes, std::vector<std::string>{CHalcyra::kOpenRecorderDrawer});
    t.refusals["!f12402C"] = {3, 0};
    ui.retry = nullptr;
    EXPECT_FALSE(h->LoadPrinter(0));
    EXPECT_EQ(h->GetErrorText(), CHalcyra::kNoRecorderTray);
    t.Sent();

    // Not ready: the picker goes home and the move is tried again, a few times in a row only.
    t.refusals["!f12004C"] = {2, 0};
    EXPECT_FALSE(h->PositionWithRecovery(200, '4', 20, true));
    EXPECT_EQ(t.Sent(), "!f12004C !e1C !f10020C !f12004C !e1C !f10020C !f12004C !e1C !f10020C "
                        "!f12004C !e1C");
    EXPECT_EQ(ui.boxes.back(), "Position Medium failed - Transporter: Not Ready");

    // A picker that cannot go home is put to the technician even in a drawer search, which
    // asks nobody about a plain failed move.
    t.refusals["!f12402C"] = {2, 0};
    t.refusals["!f10020C"] = {4, 0};
    ui.boxes.clear();
    EXPECT_FALSE(h->FindOpenDrive());
    EXPECT_EQ(ui.boxes, (std::vector<std::string>{"PickerHome failed - Transporter: Hardware Error",
                                                  "Position Medium failed - Transporter: Hardware "
                                                  "Error"}));
}

TEST_F(HalcyraFlow, PrinterBsSense255ReadsBusy) {
    auto h = Make();
    t.printerSense = 7;
    t.printerBSense = 255;
    uint16_t printer = 9;
    h->SelectPrinter(1);
    ASSERT_TRUE(h->RequestSense(30, nullptr, &printer));
    EXPECT_EQ(std::tuple(printer, h->PrinterSense(0)), std::tuple(uint16_t(2), uint16_t(7)));
}

TEST_F(HalcyraFlow, PrintDataGoToTheSelectedPrintersOwnPortIn64BytePieces) {
    FakePrinter& usb = printers.AddUsbPrinter(kUsbA);
    DrawerOpenedThrough(usb, t, "!f12602C");
    auto h = Make(Halcyra(64));
    h->Initialize();
    usb.writes.clear();
    std::vector<uint8_t> data(130, 'x');
    ASSERT_TRUE(h->SendPrintData(data.data(), 130));
    EXPECT_EQ(Sizes(usb.writes), (std::vector<size_t>{64, 64, 2}));
    EXPECT_TRUE(t.printWrites.empty());

    usb.writeOutcomes.push_back({5, 0});
    EXPECT_FALSE(h->OpenPrinterDrawer());
    EXPECT_EQ(h->GetErrorText(), "USBPRINT-0 : system error 5 - error opening printer drawer");
    h->SelectPrinter(1);
    EXPECT_FALSE(h->SendPrePrint());
    EXPECT_EQ(h->GetErrorText(), "USB or Parallel port not open - error sending pre-print data");
}

TEST_F(HalcyraFlow, FlashFilesAndPrinterFirmwareToEachPrintersPort) {
    FakePrinter& a = printers.AddUsbPrinter(kUsbA);
    FakePrinter& b = printers.AddUsbPrinter(kUsbB);
    DrawerOpenedThrough(a, t, "!f12602C");
    DrawerOpenedThrough(b, t, "!f12612C");
    auto h = Make();
    h->Initialize();
    std::vector<uint8_t> image(65536, 0);
    auto put = [&](size_t at, const char* text) { std::memcpy(&image[at], text, strlen(text)); };
    put(160, "QUENTAR CD XPTR VERSION");
    put(193, "Halcyra");
    EXPECT_TRUE(h->CheckFlashFile(image.data(), 70000));
    put(193, "Velmora");
    EXPECT_FALSE(h->CheckFlashFile(image.data(), 70000));
    // A printer image with its identification at the usual place: of this printer's family only.
    put(160, "CD-R InkographerVERSION");
    put(193, "Inkographer ");
    EXPECT_FALSE(h->CheckFlashFile(image.data(), 65536));
    put(193, "Inkographer1");
    EXPECT_TRUE(h->CheckFlashFile(image.data(), 65536));
    put(193, "Inkographer ");
    put(0, "cd-r inkographerVERSION");
    EXPECT_FALSE(h->CheckFlashFile(image.data(), 65535));
    ASSERT_TRUE(h->CheckFlashFile(image.data(), 65536));

    t.Sent();
    ASSERT_TRUE(h->BeginFlash(65536));
    EXPECT_EQ(Texts(a.writes).back() + Texts(b.writes).back(), "\x1B!g065536C\x1B!g065536C");
    // Printer A fails and drops out; B goes on alone.
    a.writeOutcomes.push_back({5, 0});
    EXPECT_TRUE(h->SendFlashData(image.data(), 4096) && h->SendFlashData(image.data(), 4096));
    EXPECT_EQ(b.received.size() - a.received.size(), 2 * 4096u);
    b.writeOutcomes.push_back({5, 0});
    EXPECT_FALSE(h->SendFlashData(image.data(), 4096));
    // Worded as every device words it: the main dialog shows it as it is.
    EXPECT_EQ(h->GetErrorText().rfind("Error sending flash data - USBPRINT-1 : ", 0), 0u);
    EXPECT_TRUE(t.Sent().empty()); // nothing over the link
}

TEST_F(HalcyraFlow, PrinterBsSerialAndTheStoreThatWaitsForTheRestart) {
    auto h = Make();
    // A control byte would start another command; without printer B its serial is neither
    // read nor blanked.
    EXPECT_FALSE(h->SetPrinterSerial2("B\x1B!g1C"));
    EXPECT_EQ(h->GetErrorText(), CVelmora::kSerialNotPrintable);
    h->m_nPrinters = 1;
    std::string serial;
    EXPECT_FALSE(h->GetPrinterSerial2(serial) || h->SetPrinterSerial2(""));
    EXPECT_TRUE(t.Sent().empty());

    h->SelectPrinter(1);
    ASSERT_TRUE(h->SaveSettings(true));
    EXPECT_EQ(t.Sent(), "!e1C !h1261C !g1C !e1C !f10020C");
    // A transporter that stays silent after its restart did not confirm anything.
    t.silentSenses = 100;
    EXPECT_FALSE(h->SaveSettings(false));
    EXPECT_EQ(h->GetErrorText(), CTransporter::kNoAnswerAfterRestart);
    // A refused store is no save, and no restart follows to drop the values.
    t.silentSenses = 0;
    t.refusals["!h1261C"] = {16, 0};
    t.Sent();
    EXPECT_FALSE(h->SaveSettings(true));
    EXPECT_EQ(h->GetErrorText(), "Settings not stored - Transporter: Prog Flash Failure");
    EXPECT_EQ(t.Sent(), "!e1C !h1261C !e1C");
}
