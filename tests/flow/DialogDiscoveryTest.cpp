// The main dialog's start-up scan, port change and rate hunting over fake ports.
#include "flow/DialogRig.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace dax::flow {
namespace {

std::vector<std::string> Paths(int from, int to) {
    std::vector<std::string> p;
    for (int n = from; n <= to; ++n)
        p.push_back("\\\\.\\COM" + std::to_string(n));
    return p;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Rates at which the inquiry went out.
std::vector<uint32_t> InquiryRates(const ScriptedTransporter& t) {
    std::vector<uint32_t> r;
    for (size_t i = 0; i < t.commands.size(); ++i)
        if (t.commands[i] == "!e0C")
            r.push_back(t.rates[i]);
    return r;
}

TEST(DialogDiscovery, StartupScanBeginsAtTheRememberedPortWrapsRoundAndTriesEachPortOnce) {
    DialogRig rig;
    rig.settings.WriteInt(kSectionLastGood, kValueFirstPort, 250);
    rig.devices.attach("\\\\.\\COM3"); // present, nothing on it
    rig.Dialog().OnInitDialog();
    EXPECT_EQ(rig.devices.openAttempts, Concat(Paths(250, 256), Paths(1, 249)));
    EXPECT_EQ(rig.view.messages, std::vector<std::string>{kNoTransporterAtStart});
    EXPECT_FALSE(rig.view.IsControlEnabled(IDC_UPDATE_FLASH));
    EXPECT_FALSE(rig.view.IsControlVisible(IDC_EXERCISER));
    // The status sums the scan up by the ports that are there, not by the last one tried; the
    // Port box shows where it began.
    EXPECT_EQ(rig.view.GetControlText(IDC_STATUS),
              "No transporter found: \\\\.\\COM3: no answer at 9600, 38400 and 115200 baud");
    EXPECT_EQ(rig.view.GetComboSelection(IDC_PORT), -1); // COM250 has no item

    // Nothing found: the next start begins there again, at the last rate COM3 was tried at.
    rig.Dialog().OnClose();
    EXPECT_EQ(rig.settings.GetInt(kSectionLastGood, kValueFirstPort, 0), 250);
    EXPECT_EQ(rig.settings.GetInt(kSectionLastGood, kValueBaudRate, 0), 115200);
    EXPECT_EQ(rig.view.endResult, IDCANCEL);

    // A remembered port out of range still scans every port once.
    for (int first : {300, 0, -7}) {
        DialogRig other;
        other.settings.WriteInt(kSectionLastGood, kValueFirstPort, first);
        other.Dialog().StartupScan();
        const auto expected = first == 300 ? Paths(1, 256) : Concat({"\\\\.\\COM0"}, Paths(1, 256));
        EXPECT_EQ(other.devices.openAttempts, expected) << first;
        EXPECT_EQ(other.Dialog().m_nPort, first == 300 ? 1 : first);
    }
}

TEST(DialogDiscovery, RatesAreHuntedFromTheRememberedOneOnward) {
    struct Case {
        int remembered;
        int comParams; // 0: absent
        uint32_t deviceRate;
        std::vector<uint32_t> tried;
    } cases[] = {
        {9600, 0, 115200, {9600, 38400, 115200}},
        {38400, 0, 115200, {38400, 9600, 115200}},
        {1200, 0, 9600, {9600}},          // nothing remembered: "COM Params" default
        {1200, 38400, 38400, {38400}},    // nothing remembered: "COM Params"
        {1200, -5, 38400, {9600, 38400}}, // a "COM Params" rate no transporter has: default
        // A remembered rate that no transporter has counts as none.
        {19200, 0, 38400, {9600, 38400}},
        {0, 0, 38400, {9600, 38400}},
        {2147483647, 38400, 38400, {38400}},
    };
    for (const Case& c : cases) {
        DialogRig rig;
        rig.settings.WriteInt(kSectionLastGood, kValueBaudRate, c.remembered);
        if (c.comParams != 0)
            rig.settings.WriteInt(kSectionComParams, kValueBaud, c.comParams);
        rig.settings.WriteInt(kSectionLastGood, kValueFirstPort, 3);
        ScriptedTransporter& t = rig.Attach(3, Inquiry{}, c.deviceRate);
        rig.Dialog().OnInitDialog();
        ASSERT_NE(rig.Dialog().GetTransporter(), nullptr) << c.remembered;
        EXPECT_EQ(InquiryRates(t), c.tried) << c.remembered;
        EXPECT_EQ(rig.Dialog().m_nBaud, int(c.deviceRate));
        EXPECT_EQ(rig.view.GetControlText(IDC_BAUD_TEXT),
                  "Current Baud Rate: " + std::to_string(c.deviceRate));
        EXPECT_EQ(rig.view.waitBoxMessages.front(), "Looking for a transporter on COM3 at " +
                                                        std::to_string(c.tried.front()) + " baud");
        EXPECT_TRUE(rig.view.messages.empty());
    }
}

TEST(DialogDiscovery, EachFailureLeavesItsReasonAndDisablesTheCommands) {
    { // CTS never comes on: about the port's 3 s, then no other rate is tried.
        DialogRig rig;
        auto line = rig.devices.attach("\\\\.\\COM2");
        line->ctsOn = false;
        rig.Dialog().m_nPort = 2;
        const uint64_t t0 = rig.clock.nowMs();
        EXPECT_FALSE(rig.Dialog().ScanPort(false));
        EXPECT_EQ(rig.Dialog().m_strStatus, "CTS is off");
        EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Failed);
        EXPECT_NEAR(double(rig.clock.nowMs() - t0), 3000.0, 20.0);
        EXPECT_TRUE(line->written.empty());
    }
    struct Case {
        std::function<void(DialogRig&)> setUp; // of COM4
        std::string status;
    };
    const Case cases[] = {
        {[](DialogRig& rig) { rig.devices.attach("\\\\.\\COM4"); }, "No transporter found"},
        // The port refuses the last rate: the dialog's own text, 115300 and all.
        {[](DialogRig& rig) {
             rig.settings.WriteInt(kSectionLastGood, kValueBaudRate, 9600);
             rig.devices.attach("\\\\.\\COM4")->onWrite =
                 [inquiries = 0](FakeSerialLine& l, const std::vector<uint8_t>&) mutable {
                     if (++inquiries == 2)
                         l.setStateErrno = 5;
                 };
         },
         "Unable to change to 115300 Baud on \\\\.\\COM4"},
        {[](DialogRig& rig) { rig.devices.attach("\\\\.\\COM4")->setStateErrno = 22; },
         "Unable to open \\\\.\\COM4 at 9600 Baud: the port refused the rate"},
        {[](DialogRig& rig) { rig.devices.attach("\\\\.\\COM4")->openErrno = EACCES; },
         "Unable to open \\\\.\\COM4: " + std::string(std::strerror(EACCES))},
        // An answer of another product is no transporter, however long its count.
        {[](DialogRig& rig) { rig.Attach(4, {.product = "QUENTAR CD DRIVE"}); },
         "No transporter found"},
    };
    for (const Case& c : cases) {
        DialogRig rig;
        c.setUp(rig);
        rig.Dialog().m_nPort = 4;
        EXPECT_FALSE(rig.Dialog().ScanPort(false));
        EXPECT_EQ(rig.Dialog().m_strStatus, c.status);
        EXPECT_EQ(rig.view.GetControlText(IDC_STATUS), c.status);
        // Only a port where nothing answered as a transporter is "not found".
        EXPECT_EQ(rig.Dialog().LastOutcome(), c.status == kNoTransporterFound
                                                  ? CommandOutcome::NotFound
                                                  : CommandOutcome::Failed);
        if (c.status.ends_with("refused the rate")) {
            EXPECT_EQ(rig.Dialog().GetPort(), nullptr);
        }
        EXPECT_FALSE(rig.view.IsControlEnabled(IDC_FLASH_LEDS)) << c.status;
        EXPECT_FALSE(rig.view.IsControlEnabled(IDC_PRINTER_SN_LABEL)) << c.status;
        EXPECT_TRUE(rig.view.IsControlEnabled(IDC_USE_COMPUTER_NAME)); // left as it was
    }
}

TEST(DialogDiscovery, AnOversizedInquiryCountIsReadOnlyIntoTheBuffer) {
    DialogRig rig;
    Inquiry big;
    big.count = 999; // the head claims more than the buffer holds
    ScriptedTransporter& t = rig.Attach(1, big);
    rig.Dialog().m_nPort = 1;
    EXPECT_TRUE(rig.Dialog().ScanPort(false));
    EXPECT_EQ(rig.Dialog().m_strInquiryId.substr(0, 16), "DISC TRANSPORTER");
    // The rest was asked for only up to the buffer's 96 identification bytes.
    const auto& reads = t.line->readCalls;
    EXPECT_NE(std::find(reads.begin(), reads.end(), 96u), reads.end());
    EXPECT_LE(*std::max_element(reads.begin(), reads.end()), 96u);
}

TEST(DialogDiscovery, PortChangeProbesOnlyTheChosenPortAndSaysWhenNothingIsThere) {
    DialogRig rig;
    rig.Attach(6, Inquiry{});
    rig.Dialog().OnInitDialog(false);
    rig.view.SetCheck(IDC_DISABLE_CHECK, true);
    rig.view.SetComboSelection(IDC_PORT, 5);
    rig.Dialog().OnPortChange();
    EXPECT_FALSE(rig.view.GetCheck(IDC_DISABLE_CHECK));
    EXPECT_EQ(rig.devices.openAttempts, Paths(5, 5));
    EXPECT_EQ(rig.view.messages.back(), std::string(kNoTransporterOnPort) + "\\\\.\\COM5");

    rig.view.SetComboSelection(IDC_PORT, 0); // "Unknown": every port from COM1
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Failed); // COM5 does not open
    rig.Dialog().OnPortChange();
    EXPECT_EQ(rig.Dialog().m_nPort, 6);
    ASSERT_NE(rig.Dialog().GetTransporter(), nullptr);
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Succeeded);
    EXPECT_TRUE(rig.view.IsControlEnabled(IDC_UPDATE_FLASH));
    rig.Dialog().OnClose();
    EXPECT_EQ(rig.settings.GetInt(kSectionLastGood, kValueFirstPort, 0), 7);
    EXPECT_EQ(rig.settings.GetInt(kSectionLastGood, kValueBaudRate, 0), 38400);
}

TEST(DialogDiscovery, PortsBeyondCom8AreListedAndChosenByTheirNumberAndANewOneGetsAnItem) {
    DialogRig rig;
    rig.Attach(12, Inquiry{});
    rig.devices.attach("\\\\.\\COM40"); // present, nothing on it
    rig.Dialog().OnInitDialog(false);
    EXPECT_EQ(rig.view.Panel()[IDC_PORT].items, PortList({12, 40}).Texts());

    rig.view.SetComboSelection(IDC_PORT, 9); // "COM12"
    rig.Dialog().OnPortChange();
    EXPECT_EQ(rig.devices.openAttempts, Paths(12, 12));
    ASSERT_NE(rig.Dialog().GetTransporter(), nullptr);
    EXPECT_EQ(rig.view.GetComboSelection(IDC_PORT), 9);

    // Reading the controls keeps the port; so does a combo that shows no item.
    rig.Dialog().OnSetParams();
    EXPECT_EQ(rig.Dialog().m_nPort, 12);
    rig.view.SetComboSelection(IDC_PORT, -1);
    EXPECT_TRUE(rig.Dialog().UpdateData(true));
    EXPECT_EQ(rig.Dialog().m_nPort, 12);

    rig.view.SetComboSelection(IDC_PORT, 10); // "COM40": it exists but nothing answers
    ASSERT_NE(rig.view.GetControlText(IDC_INQUIRY_ID), "");
    rig.Dialog().OnPortChange();
    EXPECT_EQ(rig.devices.openAttempts.back(), "\\\\.\\COM40");
    EXPECT_EQ(rig.view.GetControlText(IDC_STATUS), "No transporter found");
    // Nothing of the transporter on COM12 stays beside it.
    for (int id : {IDC_INQUIRY_ID, IDC_BAUD_TEXT, IDC_TRANSPORTER_SN, IDC_PRINTER_SN,
                   IDC_COUNT_PRINT, IDC_COUNT_RIBBON, IDC_COUNT_IMAGE})
        EXPECT_EQ(rig.view.GetControlText(id), "") << id;
    rig.Dialog().OnClose();
    EXPECT_EQ(rig.settings.GetInt(kSectionLastGood, kValueFirstPort, 0), 40);

    // A port found without an item (plugged in after start-up) gets one in its place.
    DialogRig later;
    later.Dialog().OnInitDialog(false);
    later.Attach(70, Inquiry{});
    later.view.SetComboSelection(IDC_PORT, 0);
    later.Dialog().OnPortChange();
    ASSERT_EQ(later.Dialog().m_nPort, 70);
    const auto& added = later.view.Panel()[IDC_PORT].items;
    ASSERT_EQ(added.size(), 10u);
    EXPECT_EQ(added[9], "COM70");
    EXPECT_EQ(later.view.GetComboSelection(IDC_PORT), 9);
}

TEST(DialogDiscovery, AFailedPortChangeShowsItsReasonNotTheLastProgress) {
    DialogRig rig;
    rig.devices.attach("\\\\.\\COM3"); // silent at every rate
    rig.devices.attach("\\\\.\\COM4")->ctsOn = false;
    rig.Dialog().OnInitDialog(false);
    const std::pair<int, std::string> cases[] = {
        {3, "No transporter found"},
        {4, "CTS is off"},
        {5, "Unable to open \\\\.\\COM5: " + std::string(std::strerror(ENOENT))},
        {0, kNoTransporterAnywhere}};
    for (const auto& [port, reason] : cases) {
        rig.view.SetComboSelection(IDC_PORT, port);
        rig.Dialog().OnPortChange();
        EXPECT_EQ(rig.view.GetControlText(IDC_STATUS), reason) << port;
        EXPECT_EQ(rig.view.GetComboSelection(IDC_PORT), port == 0 ? 1 : port) << port;
    }
}

} // namespace
} // namespace dax::flow
