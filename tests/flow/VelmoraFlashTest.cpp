// Firmware programming on CVelmora: which image fits which device, and what goes on the wire.
#include "devices/CVelmora.h"
#include "flow/ScriptedTransporter.h"

#include <gtest/gtest.h>

using namespace dax;
using namespace dax::flow;

namespace {

// Configuration flags as Initialize would leave them; kBin4Fitted: BIN4 answers state 0.
constexpr unsigned kNone = 0, kBasic = 1, kDrive3 = 2, kDrive1 = 4, kBin4 = 8, kShort = 16,
                   kOtp = 32, kOldModel = 64, kBin4Fitted = 128;

struct Device {
    ScriptedTransporter t;
    NoInteraction ui;
    std::unique_ptr<CVelmora> v;
    explicit Device(const Inquiry& q, unsigned config = kNone, uint32_t baud = 38400,
                    char suffix = 'A')
        : t(baud) {
        if (config & kBin4Fitted)
            t.elementStates[203] = 0;
        EXPECT_TRUE(StoreInquiry(q));
        v = std::make_unique<CVelmora>(t.port.get(), t.clock, ui);
        v->m_bBasicConfig = config & kBasic;
        v->m_bDrive3Config = config & kDrive3;
        v->m_bDrive1Config = config & kDrive1;
        v->m_bBin4Config = config & kBin4;
        v->m_bShortStatus = config & kShort;
        v->m_bOtpFirmware = config & kOtp;
        v->m_bOldFirmwareModel = config & kOldModel;
        v->m_nRevisionSuffix = suffix;
    }
};

// The 4096-byte header block the update flow reads: identification at `at` (160, or 2150 for
// 240x images), major revision digit at 184, family at 193.
std::vector<uint8_t> Header(const std::string& id, const std::string& family, char digit = '3',
                            size_t at = 160) {
    std::vector<uint8_t> block(4096, 0);
    std::copy(id.begin(), id.end(), block.begin() + long(at));
    block[184] = uint8_t(digit);
    std::copy(family.begin(), family.end(), block.begin() + 193);
    return block;
}

const Inquiry kGeneral{};
const Inquiry kInk{.count = 64, .printerName = "CD-R Inkographer", .printerRevision = "5.00 "};
const Inquiry kInk5001{.count = 64, .printerName = "CD-R Inkographer", .printerRevision = "5.001"};
const Inquiry kQT6400{.product = "KORVIX QT6400"},
    kMorrane{.count = 64, .printerName = "MORRANE DP"};
const Inquiry kInkR{.count = 64, .printerName = "CD-R InkographeR", .printerRevision = "5.00 "};
const char kG[] = "DISC TRANSPORTERVERSION";
const char kP[] = "CD-R InkographerVERSION";
const char kQT[] = "KORVIX QT6400   VERSION";

struct FitCase {
    const char* name;
    Inquiry inquiry;
    const char* id;
    const char* family;
    bool fits;
    unsigned config = kNone;
    uint32_t length = 65536;
    uint32_t baud = 38400;
    char suffix = 'A';
    char digit = '3';
};

// clang-format off
const FitCase kRules[] = {
    {"printer_5000", kInk, kP, "Inkographer ", true},
    {"printer_65535", kInk, kP, "Inkographer ", false, kNone, 65535},
    {"printer_65537", kInk, kP, "Inkographer ", false, kNone, 65537},
    {"printer_5000_new_family", kInk, kP, "Inkographer1", false},
    {"printer_5001", kInk5001, kP, "Inkographer1", true},
    {"printer_image_any_case", kInk, "cd-r INKOGRAPHERversion", "Inkographer ", true},
    {"printer_name_exact", kInkR, kP, "Inkographer ", false},
    {"qt6400_pyrel4", kQT6400, kQT, "pyrel4", true},
    {"qt6400_pyrel4_9600", kQT6400, kQT, "pyrel4", false, kNone, 65536, 9600},
    {"qt6400_morrane4_9600", kQT6400, kQT, "morrane4", true, kNone, 65536, 9600},
    {"qt6400_morrane4_printer", {.product = "KORVIX QT6400", .count = 64, .printerName = "MORRANE"}, kQT, "morrane4", true},
    {"k6400_pyrel4", {.product = "KORVIX 6400"}, "KORVIX 6400     VERSION", "pyrel4", true},
    {"k6800_morrane5_9600", {.product = "KORVIX 6800"}, "KORVIX 6800     VERSION", "morrane5", true, kNone, 65536, 9600},
    {"1400x", {.product = "KORVIX 1400x"}, "KORVIX 1400x    VERSION", "", true},
    {"bencher2", {.product = "BENCHER 2"}, "BENCHER 2       VERSION", "", true},
    {"bencher2_on_k6800", {.product = "KORVIX 6800"}, "BENCHER 2       VERSION", "", false},
    {"240x", {.product = "Hue Master 240x"}, "Korvix 240x     VERSION", "", true},
    {"240x_on_general", {}, "Korvix 240x     VERSION", "", false, kOtp},
    {"240x_cut_short", {.product = "Korvix 240x"}, "Korvix 240x     VERSION", "", false, kNone, 2172},
    {"moltrian_iii_on_ii", {.product = "Moltrian II E06"}, "Moltrian III E06", "", true},
    {"moltrian_ii_on_iii", {.product = "Moltrian III E06"}, "Moltrian II E06 ", "", false},
    {"basic", {}, kG, "Velmora", true, kBasic},
    {"basic_other_family", {}, kG, "Quentar", false, kBasic},
    {"drive3", {}, kG, "Quentar", true, kDrive3},
    {"drive1_tirra2_9600", {}, kG, "Tirra2", true, kDrive1, 65536, 9600},
    {"drive1_tirra2_38400", {}, kG, "Tirra2", false, kDrive1},
    {"drive1_tirra_38400", {}, kG, "Tirra ", true, kDrive1},
    {"old_firmware_2", {}, kG, "x", true, kOldModel | kBasic, 65536, 38400, 'A', '2'},
    {"old_firmware_3", {}, kG, "Velmora", false, kOldModel | kBasic},
    {"otp_any_family", {}, kG, "anything", true, kOtp | kBasic},
    {"otp_id_exact", {}, "DISC TRANSPORTERversion", "", false, kOtp},
    {"otp_length_cuts_id", {}, kG, "", false, kOtp, 182},
    {"general_image_on_loader", {.product = "KORVIX 6400"}, kG, "", false, kOtp},
    {"short_bin4_absent", {}, kG, "morrane1", true, kShort},
    {"short_bin4_fitted", {}, kG, "morrane1", false, kShort | kBin4Fitted},
    {"short_bin4_fitted_2", {}, kG, "morrane2", true, kShort | kBin4Fitted},
    {"no_configuration", {}, kG, "Velmora", false},
    {"tessan_F_65536", {}, kG, "Tessan ", true, kBin4, 65536, 38400, 'F'},
    {"tessan_F_65537", {}, kG, "Tessan ", false, kBin4, 65537, 38400, 'F'},
    {"tessan_E_65537", {}, kG, "Tessan ", true, kBin4, 65537, 38400, 'E'},
    {"tessan0_E_65537", {}, kG, "Tessan0", false, kBin4, 65537, 38400, 'E'},
    {"tessan0_F_65537", {}, kG, "Tessan0", true, kBin4, 65537, 38400, 'F'},
    {"tessan_9600", {}, kG, "Tessan ", false, kBin4, 65536, 9600, 'E'},
    {"morrane_38400_large", {}, kG, "Morrane ", false, kBin4, 65537, 38400, 'E'},
    {"morrane_9600_E_large", {}, kG, "Morrane ", true, kBin4, 65537, 9600, 'E'},
    {"morrane_9600_F_large", {}, kG, "Morrane ", false, kBin4, 65537, 9600, 'F'},
    {"morrane0_printer_F_large", kMorrane, kG, "Morrane0", true, kBin4, 65537, 38400, 'F'},
    {"morrane0_9600_E_large", {}, kG, "Morrane0", false, kBin4, 65537, 9600, 'E'},
    {"morrane0_9600_E_small", {}, kG, "Morrane0", true, kBin4, 65536, 9600, 'E'},
    {"bin4_other_family", {}, kG, "Velmora", false, kBin4},
};
// clang-format on

void PrintTo(const FitCase& c, std::ostream* os) {
    *os << c.name;
}

class VelmoraFlashCheck : public ::testing::TestWithParam<FitCase> {};

} // namespace

TEST_P(VelmoraFlashCheck, FitsOnlyItsDevice) {
    const FitCase& c = GetParam();
    Device d(c.inquiry, c.config, c.baud, c.suffix);
    d.v->m_bPrinterFirmwareFile = true; // cleared by every check that is not a printer image
    // 240x images carry their identification further in; old and short-status models probe.
    const bool is240x = std::string_view(c.id).starts_with("Korvix 240x");
    const auto block = Header(c.id, c.family, c.digit, is240x ? 2150 : 160);
    EXPECT_EQ(d.v->CheckFlashFile(block.data(), c.length), c.fits);
    // Every refusal says why.
    EXPECT_EQ(d.v->m_strFlashMismatch.empty(), c.fits) << d.v->m_strFlashMismatch;
    EXPECT_EQ(d.t.Sequence(), c.config & kOldModel ? "!f0280C"
                              : c.config & kShort  ? "!f0203C"
                                                   : "");
    EXPECT_EQ(d.v->m_bPrinterFirmwareFile,
              c.fits && std::string_view(c.name).starts_with("printer"));
}

INSTANTIATE_TEST_SUITE_P(Rules, VelmoraFlashCheck, ::testing::ValuesIn(kRules),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VelmoraFlash, CheckLeavesTheFlagsBeginFlashReads) {
    Device ink(kInk);
    ink.v->m_bOldFirmware = true;
    EXPECT_TRUE(ink.v->CheckFlashFile(Header(kP, "Inkographer ").data(), 65536));
    EXPECT_TRUE(ink.v->m_bPrinterFirmwareFile && !ink.v->m_bOldFirmware);
    EXPECT_FALSE(ink.v->CheckFlashFile(nullptr, 65536));

    // Old firmware is noted even for an image it refuses; its probe leaves no message.
    Device old(kGeneral, kOldModel);
    old.t.refusals["!f0280C"] = {5, 0};
    old.v->m_strError = "earlier";
    EXPECT_FALSE(old.v->CheckFlashFile(Header(kG, "Velmora").data(), 65536));
    EXPECT_TRUE(old.v->m_bOldFirmware);
    EXPECT_EQ(old.v->GetErrorText(), "earlier");

    // A short-status transporter whose BIN4 cannot be read takes nothing.
    Device brief(kGeneral, kShort);
    brief.t.refusals["!f0203C"] = {4, 0};
    EXPECT_FALSE(brief.v->CheckFlashFile(Header(kG, "morrane2").data(), 65536));
    EXPECT_EQ(brief.t.Sequence(), "!f0203C !f0C");
}

// A refusal names what the image is for and what this device takes: no identification, the
// family, the printer, the size rule.
TEST(VelmoraFlash, ARefusalSaysWhy) {
    const std::tuple<Inquiry, unsigned, char, const char*, const char*, uint32_t, std::string>
        cases[] = {
            {kGeneral, kBasic, 'A', "NOTHING KNOWN   VERSION", "Velmora", 65536,
             "no identification of a product this program knows found in the image"},
            {kGeneral, kDrive1, 'A', kG, "Tirra2", 65536,
             "the image is for family Tirra2, this transporter (DRIVE1 configuration off 9600 "
             "baud) takes family Tirra"},
            {kGeneral, kBasic, 'A', kP, "Inkographer ", 65536,
             "the image is printer firmware for a CD-R Inkographer, this transporter's printer "
             "is none"},
            {kInk, kBasic, 'A', kP, "Inkographer ", 65535,
             "printer firmware is exactly 65536 bytes, the image has 65535"},
            {kInk5001, kBasic, 'A', kP, "Inkographer ", 65536,
             "the image is for family Inkographer, this printer (revision 5.001) takes family "
             "Inkographer1"},
            {kGeneral, kBin4, 'F', kG, "Tessan ", 70000,
             "a family Tessan image above 65536 bytes (this one has 70000) needs a revision "
             "suffix below F; this transporter's revision suffix is F"},
            {kGeneral, kOldModel, 'A', kG, "Velmora", 65536,
             "the image is of major revision 3, this transporter's old firmware takes only "
             "images below 3"},
        };
    for (const auto& [inquiry, config, suffix, id, family, length, why] : cases) {
        Device d(inquiry, config, 38400, suffix);
        EXPECT_FALSE(d.v->CheckFlashFile(Header(id, family).data(), length));
        EXPECT_EQ(d.v->m_strFlashMismatch, why);
    }
}

// Old firmware is announced its fixed frame; a printer image has a command of its own.
TEST(VelmoraFlash, BeginFlashAnnouncesTheImageOrSaysWhyNot) {
    const std::string tooLarge = CVelmora::kFlashImageTooLarge, empty = CVelmora::kFlashImageEmpty;
    // clang-format off
    const std::tuple<bool, bool, uint32_t, std::string> cases[] = {
        {false, false, 70000, "!g070000C"}, {true, false, 35000, "!g065534C"},
        {true, true, 65536, "!h0C"}, {true, false, 65532, "!g065534C"},
        {true, false, 65533, tooLarge + ": "}, {true, false, 0, empty + ": "},
        {false, false, 4096, "Transporter: Illegal Request: !g04096C !e1C"}};
    // clang-format on
    for (const auto& [oldFirmware, printerFile, length, expected] : cases) {
        Device d(kGeneral);
        d.t.refusals["!g04096C"] = {5, 0};
        d.v->m_bOldFirmware = oldFirmware;
        d.v->m_bPrinterFirmwareFile = printerFile;
        const bool begun = d.v->BeginFlash(length);
        EXPECT_EQ((begun ? "" : d.v->GetErrorText() + ": ") + d.t.Sequence(), expected) << length;
        // A drain under 500 ms, then 20 s for the acknowledgement.
        if (begun) {
            EXPECT_EQ(d.t.AnswerTimeouts(), (std::vector<uint32_t>{500, 20000})) << length;
        }
    }
}

TEST(VelmoraFlash, OldFirmwareTakesNoMoreThanItWasTold) {
    Device d(kGeneral);
    d.v->m_bOldFirmware = true;
    // Image, fill and checksum make the 65534 announced; a byte more never leaves.
    ASSERT_TRUE(d.v->BeginFlash(65532));
    const size_t before = d.t.line->written.size();
    const std::vector<uint8_t> data(65534, 0xFF);
    EXPECT_TRUE(d.v->SendFlashData(data.data(), 65533));
    EXPECT_FALSE(d.v->SendFlashData(data.data(), 2));
    EXPECT_EQ(d.v->GetErrorText(),
              "Error sending flash data - more data than the 65534 bytes announced");
    EXPECT_EQ(d.t.line->written.size() - before, 65533u);
}

TEST(VelmoraFlash, SendFlashDataKeepsTheChecksumSinceBeginFlash) {
    Device d(kGeneral);
    const std::vector<uint8_t> first(4096, 0xFF), second{0x01, 0x02, 0xFD};
    ASSERT_TRUE(d.v->BeginFlash(4099));
    ASSERT_TRUE(d.v->SendFlashData(first.data(), 4096));
    ASSERT_TRUE(d.v->SendFlashData(second.data(), 3));
    EXPECT_EQ(d.v->GetFlashChecksum(), uint16_t(4096 * 0xFF + 0x100)); // wraps at 16 bits
    const auto& w = d.t.line->written;
    EXPECT_EQ(std::vector<uint8_t>(w.end() - 4099, w.end() - 3), first);
    ASSERT_TRUE(d.v->BeginFlash(3));
    EXPECT_EQ(d.v->GetFlashChecksum(), 0);

    d.t.line->ctsOn = false;
    EXPECT_FALSE(d.v->SendFlashData(second.data(), 3));
    EXPECT_EQ(d.v->GetErrorText(), "Error sending flash data - CTS signal is off");
    EXPECT_EQ(d.v->GetFlashChecksum(), 0);
}

// Image bytes go out only after an acknowledged programming command; a failed one says whether
// the device may nevertheless be in programming mode.
TEST(VelmoraFlash, NoImageByteWithoutProgrammingModeAndAnUnknownStateIsSaid) {
    const std::vector<uint8_t> data(100, 0x5A);
    struct Case {
        std::optional<std::string> answer; // none: the scripted device's own
        bool ctsOff;
        bool unknown;
    } cases[] = {
        {"", false, true},           // answer lost
        {"\x1B!g0?C", false, true},  // garbled, and the sense goes unanswered
        {std::nullopt, true, false}, // nothing left the port
        {"\x1B!g00C", false, false}, // refused: the sense is answered
    };
    for (const Case& c : cases) {
        Device d(kGeneral);
        EXPECT_FALSE(d.v->SendFlashData(data.data(), 100)); // never begun
        if (c.answer && !c.answer->empty() && (*c.answer)[4] == '0')
            d.t.refusals["!g0100C"] = {5, 0};
        else
            d.t.programmingAnswer = c.answer;
        d.t.line->ctsOn = !c.ctsOff;
        EXPECT_FALSE(d.v->BeginFlash(100));
        EXPECT_EQ(d.v->m_bProgrammingStateUnknown, c.unknown) << d.v->GetErrorText();
        d.t.line->ctsOn = true;
        const size_t before = d.t.line->written.size();
        EXPECT_FALSE(d.v->SendFlashData(data.data(), 100));
        EXPECT_EQ(d.v->GetErrorText(),
                  "Error sending flash data - programming mode was not entered");
        EXPECT_EQ(d.t.line->written.size(), before);
    }
}
