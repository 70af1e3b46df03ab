#include "app/ControlIds.h"
#include "devices/CHalcyra.h"
#include "devices/ProductRecognition.h"
#include "devices/RecogniseTransporter.h"
#include "flow/DialogRig.h"
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

std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Answers Retry/Cancel boxes from a script and records them.
class ScriptedBoxes : public NoInteraction {
public:
    bool AskRetryCancel(const std::string& text) override {
        boxes.push_back(text);
        return onAsk ? onAsk(boxes.size()) : false;
    }
    std::vector<std::string> boxes;
    std::function<bool(size_t)> onAsk; // the box's number from 1; true: Retry
};

struct HalcyraFlow : ::testing::Test {
    ScriptedTransporter t;
    ScriptedBoxes ui;
    FakePrinterDevices printers;

    HalcyraFlow() {
        t.printerBSense = 0;
        // Neither printer's drawer is out until a port opens it.
        t.refusals["!f12602C"] = {3, 0};
        t.refusals["!f12612C"] = {3, 0};
    }
    std::unique_ptr<CHalcyra> Make(const Inquiry& inquiry = Halcyra()) {
        const std::string answer = InquiryAnswer(inquiry);
        std::vector<uint8_t> buffer(7 + 96, 0);
        std::memcpy(buffer.data(), answer.data(), std::min(answer.size(), buffer.size()));
        EXPECT_TRUE(IsHalcyraInquiry(buffer.data(), inquiry.count));
        return std::make_unique<CHalcyra>(t.port.get(), t.clock, ui, PrinterAccess{&printers, {}});
    }
    // The printer at `element` whose drawer this device opens.
    void Owns(FakePrinter& printer, int element) { Owns(printer, element, t); }
    static void Owns(FakePrinter& printer, int element, ScriptedTransporter& st) {
        const std::string find = "!f1" + std::to_string(element) + "2C";
        st.refusals[find] = {3, 0};
        printer.onWrite = [&st, find](FakePrinter&, const std::vector<uint8_t>& bytes) {
            if (Text(bytes) == "\x1B!d0C")
                st.refusals.erase(find);
            if (Text(bytes) == "\x1B!d1C")
                st.refusals[find] = {3, 0};
        };
    }
    std::string Sent() {
        const std::string sent = t.Sequence();
        t.commands.clear();
        return sent;
    }
    void DriveHeight(int value) {
        char answer[16];
        std::snprintf(answer, sizeof answer, "\x1B!f010%05dC", value);
        t.overrides["!f0240C"] = answer;
    }
};

} // namespace

TEST_F(HalcyraFlow, RecognisedBetweenTheTransportersAndThePrinterWithItsPrinterCount) {
    const std::string answer = InquiryAnswer(Halcyra());
    std::vector<uint8_t> buffer(103, 0);
    std::memcpy(buffer.data(), answer.data(), answer.size());
    EXPECT_FALSE(IsKnownTransporter(buffer.data(), 96));
    auto device = RecogniseTransporter(buffer.data(), 96, t.port.get(), t.clock, ui);
    auto* h = dynamic_cast<CHalcyra*>(device.get());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->m_nPrinters, 2);
    EXPECT_EQ(h->m_strPrinterId, "CD-R InkographerDP0001  5.021   ");
    EXPECT_EQ(std::tuple(h->m_nTransporterRevision, h->m_nPrinterRevision), std::tuple(3160, 5021));
    EXPECT_TRUE(h->m_bWritableSettings);
    EXPECT_EQ(Make(Halcyra(64))->m_nPrinters, 1);
    EXPECT_EQ(Make(Halcyra(32))->m_nPrinters, 0);

    // Start-up firmware: nothing is sent, and printer B's serial cannot be read.
    auto boot = Make(Halcyra(96, "1.00 "));
    boot->Initialize();
    EXPECT_TRUE(boot->m_bOtpFirmware);
    EXPECT_TRUE(Sent().empty());
    std::string serial;
    EXPECT_FALSE(boot->GetPrinterSerial2(serial));
    EXPECT_EQ(boot->GetErrorText(), "GetPrinterSerial2 failed - OTP firmware");
}

TEST_F(HalcyraFlow, AUsbPortMatchedToPrinterALeavesTheParallelPortsClosed) {
    FakePrinter& usb = printers.AddUsbPrinter(kUsbA);
    FakePrinter& lpt1 = printers.AddPort("LPT1");
    Owns(usb, 260);
    t.elementStates[280] = 0;
    auto h = Make();
    h->Initialize();
    EXPECT_EQ(h->UsbPort(0)->GetDevicePath(), kUsbA);
    EXPECT_EQ(lpt1.opens, 0);
    EXPECT_EQ(h->OpenParallelCount(), 0);
    // Printer B found no port of its own: one printer is left.
    EXPECT_EQ(h->m_nPrinters, 1);
    EXPECT_TRUE(h->m_bRotator);
    // Printer A's alignment probe follows.
    EXPECT_EQ(Sent(), "!f10020C !f0280C !f@261C !f22610C !f@260C !f22600C !f12602C !f0260C !a3H "
                      "!e1C");
    const std::vector<std::string> drawer = {"\x1B!d1C", "\x1B!d0C", "\x1B!d1C"};
    std::vector<std::string> writes;
    for (const auto& w : usb.writes)
        writes.push_back(Text(w));
    EXPECT_EQ(writes, drawer);
    EXPECT_TRUE(h->SupportsAlignPasses());
}

TEST_F(HalcyraFlow, WithoutUsbLpt2IsTriedAfterLpt1FailsToOpenAndAnUnownedPortIsClosed) {
    FakePrinter& lpt1 = printers.AddPort("LPT1");
    lpt1.openError = 16;
    FakePrinter& lpt2 = printers.AddPort("LPT2");
    Owns(lpt2, 261);
    auto h = Make();
    h->Initialize();
    EXPECT_EQ(lpt2.opens, 1);
    ASSERT_NE(h->ParallelPort(1), nullptr);
    EXPECT_STREQ(h->ParallelPort(1)->GetName(), "LPT2");
    EXPECT_EQ(h->OpenParallelCount(), 1);
    // Printer B has a port, printer A none: the count drops to one all the same.
    EXPECT_EQ(h->m_nPrinters, 1);

    // A second device whose printers own neither port keeps none open.
    FakePrinterDevices others;
    others.AddPort("LPT1");
    others.AddPort("LPT2");
    ScriptedTransporter t2;
    t2.printerBSense = 0;
    t2.refusals = {{"!f12602C", {3, 0}}, {"!f12612C", {3, 0}}};
    CHalcyra lone(t2.port.get(), t2.clock, ui, PrinterAccess{&others, {}});
    lone.Initialize();
    EXPECT_EQ(lone.m_nPrinters, 0);
    EXPECT_EQ(lone.OpenParallelCount(), 0);
    EXPECT_EQ(others.OpenCount(), 0);
}

TEST_F(HalcyraFlow, DrawerHeightsChooseTheDrive) {
    auto h = Make();
    const std::pair<int, int> heights[] = {{15149, 241}, {15150, 242}, {18770, 243}, {47729, 250}};
    for (const auto& [height, drive] : heights) {
        DriveHeight(height);
        EXPECT_TRUE(h->FindOpenDrive()) << height;
        EXPECT_EQ(h->FoundDrive(), drive) << height;
    }
    // Above the last drive (and above what 16 bits hold) is no drive.
    for (int height : {47730, 80000}) {
        DriveHeight(height);
        EXPECT_FALSE(h->FindOpenDrive()) << height;
        EXPECT_EQ(h->FoundDrive(), 243);
    }
}

TEST_F(HalcyraFlow, LoadTurnsTheDiscOntoTheSelectedPrinterOrPutsItStraightOn) {
    auto h = Make();
    DriveHeight(16000);
    ASSERT_TRUE(h->LoadPrinter(90));
    EXPECT_EQ(Sent(), "!e1C !f12402C !f0240C !f12004C !f12423C !f12427C !f32601100954C "
                      "!f12606C [12]");
    EXPECT_EQ(t.printed, "\x1B!t0C\x1B!s500C");

    h->SelectPrinter(1);
    ASSERT_TRUE(h->ReloadPrinter(-1));
    EXPECT_EQ(Sent(), "!e1C !f12614C !f12423C !f12427C !f12615C [12]");
    ASSERT_TRUE(h->UnloadPrinter());
    EXPECT_EQ(Sent(), "!e1C !f12614C !f12013C");

    // A disc that does not reach the printer goes to the reject bin; the reason stays.
    t.refusals["!f12615C"] = {5, 0};
    EXPECT_FALSE(h->ReloadPrinter(-1));
    EXPECT_EQ(Sent(), "!e1C !f12614C !f12423C !f12427C !f12615C !e1C !f12015C");
    EXPECT_EQ(h->GetErrorText(), "Transporter: Illegal Request");
}

TEST_F(HalcyraFlow, RetryCancelBoxesAndPickerRecovery) {
    auto h = Make();
    DriveHeight(16000);
    // No drawer open: the person is asked; Retry after opening one goes on.
    t.refusals["!f12402C"] = {3, 0};
    ui.onAsk = [&](size_t) {
        t.refusals.erase("!f12402C");
        return true;
    };
    EXPECT_TRUE(h->FindOpenDrive());
    EXPECT_EQ(ui.boxes, std::vector<std::string>{CHalcyra::kOpenRecorderDrawer});

    // Cancel ends the load with its own text.
    t.refusals["!f12402C"] = {3, 0};
    ui.onAsk = nullptr;
    EXPECT_FALSE(h->LoadPrinter(0));
    EXPECT_EQ(h->GetErrorText(), CHalcyra::kNoRecorderTray);
    Sent();

    // Not ready: the picker goes home and the move is tried again, a few times in a row only.
    t.refusals["!f12004C"] = {2, 0};
    ui.boxes.clear();
    EXPECT_FALSE(h->PositionWithRecovery(200, '4', 20, true));
    EXPECT_EQ(Sent(), "!f12004C !e1C !f10020C !f12004C !e1C !f10020C !f12004C !e1C !f10020C "
                      "!f12004C !e1C");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0], "Position Medium failed - Transporter: Not Ready");
}

TEST_F(HalcyraFlow, SenseOfTheSelectedPrinterWith255ReadAsBusy) {
    auto h = Make();
    t.printerSense = 7;
    t.printerBSense = 255;
    uint16_t transporter = 9, printer = 9;
    ASSERT_TRUE(h->RequestSense(30, &transporter, &printer));
    EXPECT_EQ(std::tuple(transporter, printer), std::tuple(uint16_t(0), uint16_t(7)));
    h->SelectPrinter(1);
    ASSERT_TRUE(h->RequestSense(30, nullptr, &printer));
    EXPECT_EQ(printer, 2);
    EXPECT_EQ(h->PrinterSense(0), 7);
    // The time-out asked for is not the one used.
    EXPECT_EQ(t.AnswerTimeouts().back(), 5000u);
}

TEST_F(HalcyraFlow, PrintDataGoToTheSelectedPrintersOwnPortIn64BytePieces) {
    FakePrinter& usb = printers.AddUsbPrinter(kUsbA);
    Owns(usb, 260);
    auto h = Make(Halcyra(64));
    h->Initialize();
    usb.writes.clear();
    std::vector<uint8_t> data(130, 'x');
    ASSERT_TRUE(h->SendPrintData(data.data(), 130));
    std::vector<size_t> sizes;
    for (const auto& w : usb.writes)
        sizes.push_back(w.size());
    EXPECT_EQ(sizes, (std::vector<size_t>{64, 64, 2}));
    EXPECT_TRUE(t.printWrites.empty());

    usb.writeOutcomes.push_back({5, 0});
    EXPECT_FALSE(h->OpenPrinterDrawer());
    EXPECT_EQ(h->GetErrorText().rfind("USBPRINT-0 : ", 0), 0u);
    EXPECT_NE(h->GetErrorText().find("- error opening printer drawer"), std::string::npos);
    h->SelectPrinter(1);
    EXPECT_FALSE(h->SendPrePrint());
    EXPECT_EQ(h->GetErrorText(), "USB or Parallel port not open - error sending pre-print data");
}

TEST_F(HalcyraFlow, FlashFilesAndPrinterFirmwareToEachPrintersPort) {
    FakePrinter& a = printers.AddUsbPrinter(kUsbA);
    FakePrinter& b = printers.AddUsbPrinter(kUsbB);
    Owns(a, 260);
    Owns(b, 261);
    auto h = Make();
    h->Initialize();
    ASSERT_EQ(h->m_nPrinters, 2);

    std::vector<uint8_t> image(65536, 0);
    auto put = [&](size_t at, const std::string& text) {
        std::memcpy(image.data() + at, text.data(), text.size());
    };
    put(160, "QUENTAR CD XPTR VERSION");
    put(193, "Halcyra");
    EXPECT_TRUE(h->CheckFlashFile(image.data(), 70000));
    put(193, "Velmora");
    EXPECT_FALSE(h->CheckFlashFile(image.data(), 70000));
    put(160, "cd-r inkographerVERSION");
    EXPECT_FALSE(h->CheckFlashFile(image.data(), 65535));
    ASSERT_TRUE(h->CheckFlashFile(image.data(), 65536));
    EXPECT_TRUE(h->m_bPrinterFirmwareFile);
    std::vector<uint8_t> file(65536, 0);
    std::memcpy(file.data(), "CD-R InkographerVERSION", 23);
    EXPECT_TRUE(h->CheckFlashFile(file.data(), 65536));

    a.writes.clear();
    b.writes.clear();
    Sent();
    ASSERT_TRUE(h->BeginFlash(65536));
    EXPECT_EQ(Text(a.writes.at(0)), "\x1B!g065536C");
    EXPECT_EQ(Text(b.writes.at(0)), "\x1B!g065536C");
    EXPECT_EQ(t.clock.sleeps.back(), 7000u);
    // Printer A fails and drops out; B goes on alone, and the selection is kept.
    a.writeOutcomes.push_back({5, 0});
    EXPECT_TRUE(h->SendFlashData(image.data(), 4096));
    EXPECT_TRUE(h->SendFlashData(image.data(), 4096));
    EXPECT_EQ(std::tuple(a.writes.size(), b.writes.size()), std::tuple(size_t(1), size_t(3)));
    EXPECT_EQ(h->m_nSelectedPrinter, 0);
    b.writeOutcomes.push_back({5, 0});
    EXPECT_FALSE(h->SendFlashData(image.data(), 4096));
    EXPECT_EQ(h->GetErrorText().rfind("USBPRINT-1 : ", 0), 0u);
    EXPECT_TRUE(Sent().empty()); // nothing over the link
}

TEST_F(HalcyraFlow, SettingsCarryThePrinterAndTheStoreWaitsForTheRestart) {
    auto h = Make();
    h->SelectPrinter(1);
    EXPECT_TRUE(h->SetTopMargin(75) && h->SetLeftMargin(5) && h->SetRotationalOffset(32));
    EXPECT_TRUE(h->SetMediaSize(3));
    EXPECT_EQ(Sent(), "!e1C !f7261075C !e1C !f6261005C !e1C !f4261032C");

    t.stored[261] = "B0000001";
    std::string serial;
    ASSERT_TRUE(h->GetPrinterSerial2(serial));
    EXPECT_EQ(serial, "B0000001");
    EXPECT_TRUE(h->SetPrinterSerial2("B2"));
    EXPECT_EQ(Sent(), "!e1C !f:261C !e1C !f9261CB2      ");
    // A control byte would start another command: nothing goes out.
    EXPECT_FALSE(h->SetPrinterSerial2("B\x1B!g1C"));
    EXPECT_EQ(h->GetErrorText(), CVelmora::kSerialNotPrintable);
    EXPECT_TRUE(Sent().empty());
    // With printer B gone from the count, its stored serial is neither shown nor blanked.
    h->m_nPrinters = 1;
    EXPECT_FALSE(h->GetPrinterSerial2(serial) || h->SetPrinterSerial2(""));
    EXPECT_TRUE(Sent().empty());
    h->m_nPrinters = 2;

    t.counters['1'] = 0;
    t.overrides["!f;2611C"] = "\x1B!f;11234 C";
    EXPECT_EQ(h->GetPrinterCounter(1, 1), 1234);
    EXPECT_EQ(h->GetPrinterCounter(0, 2), -1);
    Sent();

    ASSERT_TRUE(h->SaveSettings(true));
    EXPECT_EQ(Sent(), "!e1C !h1261C !g1C !e1C !f10020C");
    // A transporter that stays silent after its restart did not confirm anything.
    t.silentSenses = 100;
    EXPECT_FALSE(h->SaveSettings(false));
    EXPECT_EQ(h->GetErrorText(), CVelmora::kSaveSettingsNoAnswer);
}

TEST_F(HalcyraFlow, TheWindowShowsPrinterBsSerialAndSendsItBack) {
    DialogRig rig;
    ScriptedTransporter& st = rig.Attach(1, Halcyra(96, "3.20 "));
    st.printerBSense = 0;
    st.stored[261] = "PB000001";
    Owns(printers.AddUsbPrinter(kUsbA), 260, st);
    Owns(printers.AddUsbPrinter(kUsbB), 261, st);
    rig.context.printerDevices = &printers;
    rig.Dialog().m_nPort = 1;
    ASSERT_TRUE(rig.Dialog().ScanPort(false));
    EXPECT_EQ(rig.view.GetControlText(IDC_PRINTER_SN_LABEL), "Printer A SN:");
    EXPECT_TRUE(rig.view.IsControlVisible(IDC_PRINTER_B_SN));
    EXPECT_EQ(rig.view.GetControlText(IDC_PRINTER_B_SN), "PB000001");

    rig.view.SetControlText(IDC_PRINTER_B_SN, "PB2");
    rig.Dialog().OnUpdateSerial();
    EXPECT_EQ(rig.Dialog().m_strStatus, "Parameter update succeeded");
    EXPECT_NE(std::find(st.commands.begin(), st.commands.end(), "!f9261CPB2     "),
              st.commands.end());
}
