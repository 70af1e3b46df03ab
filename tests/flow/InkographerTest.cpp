#include "devices/CInkographer.h"
#include "devices/RecogniseTransporter.h"
#include "flow/ScriptedTransporter.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace dax;
using namespace dax::flow;

namespace {

class BoxInteraction : public NoInteraction {
public:
    bool ShowMessage(const std::string& text, Question question) override {
        boxes.push_back(text);
        EXPECT_EQ(question, Question::DiscOnTray);
        return confirmed;
    }
    std::vector<std::string> boxes;
    bool confirmed = true;
};

const Inquiry kInkographer{.product = "CD-R Inkographer", .revision = "5.021"};

struct Inkographer : ::testing::Test {
    ScriptedTransporter t;
    BoxInteraction ui;
    Inkographer() {
        t.inkographer = true;
        t.elementStates[280] = 0; // the disc handler is fitted
    }
    std::unique_ptr<CInkographer> Make(const Inquiry& inquiry = kInkographer) {
        EXPECT_TRUE(StoreInkographerInquiry(inquiry));
        return std::make_unique<CInkographer>(t.port.get(), t.clock, ui);
    }
};

} // namespace

TEST_F(Inkographer, RecognisedAfterTheTransportersAndReadFromItsOwnBuffer) {
    auto buffer = ReceivedInquiry(kInkographer);
    NoInteraction none;
    auto device = RecogniseTransporter(buffer.data(), 32, t.port.get(), t.clock, none);
    auto* ink = dynamic_cast<CInkographer*>(device.get());
    ASSERT_NE(ink, nullptr);
    EXPECT_EQ(ink->m_strTransporterId, "CD-R InkographerVERSION 5.021A  ");
    EXPECT_EQ(std::tuple(ink->m_nTransporterRevision, ink->m_nPrinters, ink->m_bOtpFirmware),
              std::tuple(5021, 1, false));
    EXPECT_TRUE(ink->m_bStandAlonePrinter);
    // One letter off is nobody's answer.
    buffer[7 + 5] = 'i';
    EXPECT_EQ(RecogniseTransporter(buffer.data(), 32, t.port.get(), t.clock, none), nullptr);
    EXPECT_TRUE(t.Sent().empty());
}

TEST_F(Inkographer, InitializeStartsThePrinterUnlessOtpAndAlwaysAsksTheRotator) {
    auto ink = Make();
    ink->Initialize();
    EXPECT_EQ(t.Sent(), "!a3H !r3C !d1C !r3C !f0280C");
    EXPECT_EQ(t.clock.sleeps, (std::vector<uint32_t>{5000, 1000}));
    EXPECT_TRUE(ink->m_bAlignPasses && ink->m_bRotator && ink->m_bPocketCalibration);
    EXPECT_EQ(t.port->GetCtsWait(), 10u);

    auto otp = Make({.product = "CD-R Inkographer", .revision = "4.01 "});
    EXPECT_TRUE(otp->m_bOtpFirmware);
    otp->Initialize();
    EXPECT_EQ(t.Sent(), "!f0280C");
    std::string a, b;
    EXPECT_FALSE(otp->GetSerialNumbers(a, b));
    EXPECT_EQ(otp->GetErrorText(), "OTP firmware is running");
    EXPECT_TRUE(t.Sent().empty());
    EXPECT_FALSE(otp->m_bPocketCalibration);
}

TEST_F(Inkographer, SettingsAreLimitedAndJudgedByTheSenseAfterThem) {
    auto ink = Make();
    EXPECT_TRUE(ink->SetLeftMargin(25));
    EXPECT_TRUE(ink->SetTopMargin(200));
    EXPECT_TRUE(ink->SetRotationalOffset(64));
    EXPECT_TRUE(ink->SetPocketOffset(300));
    EXPECT_EQ(t.Sent(), "!r3C !m0010C !r3C !r3C !m1150C !r3C !r3C !m2064C !r3C !r3C !m3300C !r3C");
    EXPECT_TRUE(ink->SetTopMargin(150) && ink->SetRotationalOffset(65));
    EXPECT_EQ(t.Sent(), "!r3C !m1150C !r3C !r3C !m2064C !r3C");

    // Refused: the printer's own code, with its own text (19 lies beyond the printer table).
    t.refusals["!m0005C"] = {0, 19};
    EXPECT_FALSE(ink->SetLeftMargin(5));
    EXPECT_EQ(ink->GetErrorText(), "Inkographer: Rotoprint failure");
    EXPECT_EQ(ink->m_nTransporterSense, 0);
    EXPECT_TRUE(ink->GetSenseText().empty());

    // A garbled sense is no "done".
    t.overrides["!r3C"] = "\x1B!r31x19C";
    EXPECT_FALSE(ink->SetMediaSize(4));
    EXPECT_EQ(ink->GetErrorText(), "Malformed sense answer");
}

TEST_F(Inkographer, LoadAndReloadStartThePrintAtTheAngle) {
    auto ink = Make();
    EXPECT_TRUE(ink->LoadPrinter(90));
    EXPECT_EQ(t.Sent(), "!r3C !t0C !r3C !f31100090C !r3C");
    EXPECT_EQ(t.port->GetCtsWait(), 120u);
    EXPECT_TRUE(ink->LoadPrinter(-1));
    EXPECT_EQ(t.Sent(), "!r3C !t0C !r3C !s500C !r3C");
    EXPECT_TRUE(ink->ReloadPrinter(-1));
    EXPECT_EQ(t.Sent(), "!r3C !f3120C !r3C");
    EXPECT_TRUE(ink->LoadPocketDisc(true) && ink->LoadPocketDisc(false));
    EXPECT_EQ(t.Sent(), "!r3C !f313000C !r3C !r3C !f312000C !r3C");
    EXPECT_TRUE(ink->UnloadPrinter() && ink->OpenPrinterDrawer());
    EXPECT_EQ(t.Sent(), "!r3C !d0C !r3C !r0C");

    // The print start refused: the print itself is not sent.
    t.refusals["!t0C"] = {0, 2};
    EXPECT_FALSE(ink->LoadPrinter(90));
    EXPECT_EQ(t.Sent(), "!r3C !t0C !r3C");
    EXPECT_EQ(ink->GetErrorText(), "Inkographer: Printer Busy");
    EXPECT_TRUE(ui.boxes.empty());

    // Refused while the printer reports nothing wrong: the status still says what was not done.
    t.overrides["!r0C"] = "\x1B!r00C";
    EXPECT_FALSE(ink->OpenPrinterDrawer());
    EXPECT_EQ(ink->GetErrorText(), "ESC !r0C was not confirmed, and no fault is reported");
    t.overrides["!f0280C"] = "\x1B!f00000280C";
    int state = 0;
    EXPECT_FALSE(ink->QueryElement(280, state));
    EXPECT_EQ(ink->GetErrorText(), "ESC !f0280C was not confirmed, and no fault is reported");
}

TEST_F(Inkographer, ManualLoadingAsksForTheDiscAndMovesNothing) {
    t.elementStates[280] = 2;
    auto ink = Make();
    ink->Initialize();
    EXPECT_TRUE(ink->ManualLoading());
    EXPECT_FALSE(ink->m_bRotator);
    t.Sent();
    EXPECT_TRUE(ink->LoadPrinter(90));
    EXPECT_TRUE(ink->UnloadPrinter());
    // Not confirmed: the load fails, still without a byte sent.
    ui.confirmed = false;
    EXPECT_FALSE(ink->LoadPrinter(-1));
    EXPECT_EQ(ink->GetErrorText(), CInkographer::kDiscNotPlaced);
    EXPECT_EQ(ui.boxes, std::vector<std::string>(2, "Place disc on printer tray"));
    EXPECT_TRUE(t.Sent().empty());
    // The drawer command goes out without waiting for an answer.
    t.overrides["!r0C"] = "\x1B!r00C";
    EXPECT_TRUE(ink->OpenPrinterDrawer());
    EXPECT_EQ(t.Sent(), "!r0C");
}

TEST_F(Inkographer, SerialCountersAndPrintData) {
    auto ink = Make();
    EXPECT_TRUE(ink->SetSerialNumbers("IGNORED", "PS123"));
    std::string transporter = "x", printer;
    EXPECT_TRUE(ink->GetSerialNumbers(transporter, printer));
    EXPECT_EQ(std::tuple(transporter, printer), std::tuple("", "PS123   "));

    t.counters['1'] = 4321;
    EXPECT_EQ(ink->GetPrinterCounter(0, 1), 4321);
    EXPECT_EQ(ink->GetPrinterCounter(1, 1), -1);
    EXPECT_EQ(Make({.product = "CD-R Inkographer", .revision = "5.02 "})->GetPrinterCounter(0, 1),
              -1);
    EXPECT_EQ(t.Sent(), "!r3C !f9CPS123    !r3C !f:C !f;1C");

    const std::vector<uint8_t> data(130, 0x41);
    EXPECT_TRUE(ink->SendPrintData(data.data(), uint32_t(data.size())));
    EXPECT_EQ(Sizes(t.printWrites), (std::vector<size_t>{64, 64, 2}));
    // Without its time-out a stalled write could block for ever: nothing is written then.
    t.line->setTimeoutsErrno = 13;
    EXPECT_FALSE(ink->SendPrintData(data.data(), uint32_t(data.size())));
    EXPECT_EQ(t.printWrites.size(), 3u);
    EXPECT_EQ(ink->GetErrorText(), "SetCommTimeouts failed - 13");
    t.line->setTimeoutsErrno = 0;

    const uint8_t* pattern = nullptr;
    EXPECT_EQ(ink->GetPattern(2, &pattern), 53957u);
    EXPECT_EQ(ink->GetPattern(3, &pattern), 3370u);
    EXPECT_EQ(ink->GetPattern(4, &pattern), 0u);
}

TEST_F(Inkographer, FlashFileNeedsTheSizeAndTheModelOfTheRevision) {
    std::vector<uint8_t> image(65536, 0);
    const auto put = [&](size_t at, const std::string& text) {
        std::memcpy(image.data() + at, text.data(), text.size());
    };
    put(160, "cd-r inkographerversion");
    put(193, "Inkographer ");
    auto old = Make({.product = "CD-R Inkographer", .revision = "4.999"});
    auto fresh = Make({.product = "CD-R Inkographer", .revision = "5.00 "});
    EXPECT_TRUE(old->CheckFlashFile(image.data(), 65536));
    EXPECT_FALSE(old->CheckFlashFile(image.data(), 65535));
    EXPECT_FALSE(fresh->CheckFlashFile(image.data(), 65536));
    put(193, "Inkographer1");
    EXPECT_TRUE(fresh->CheckFlashFile(image.data(), 65536));
    EXPECT_FALSE(old->CheckFlashFile(image.data(), 65536));

    EXPECT_TRUE(fresh->BeginFlash(65536));
    EXPECT_TRUE(fresh->SendFlashData(image.data(), 65536));
    EXPECT_EQ(t.flashData.size(), 65536u);
    EXPECT_TRUE(fresh->SaveSettings(false));
    EXPECT_EQ(t.Sent(), "!g065536C !g1C !r3C");
    EXPECT_EQ(t.clock.sleeps.back(), 10000u);
    EXPECT_EQ(fresh->GetRebootDelay(), 5);
}
