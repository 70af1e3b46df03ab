// daxsim as the dual-printer transporter: which printer is on which port, what each printer
// keeps and reports, and what reaches each printer through its own port.
#include "SimRig.h"

namespace {

using namespace simrig;

const std::string kSim0 = "usb/vid_044e&pid_200a#SIM0";
const std::string kSim1 = "usb/vid_044e&pid_200a#SIM1";

TEST(DaxsimHalcyra, APrinterAnswersFindOnlyWhileTheDrawerOfItsOwnPortIsOut) {
    Sim sim("halcyra", {"usb_ports=BA", "open_drive=245", "refuse_once=f10020C:6"});
    const std::string inquiry = sim.Ask(Esc("!e0C"), 7 + 96);
    ASSERT_EQ(inquiry.size(), 7u + 96u);
    EXPECT_EQ(inquiry.substr(0, 7), Esc("!e0096"));
    EXPECT_EQ(inquiry.substr(7, 16), "QUENTAR CD XPTR ");
    EXPECT_EQ(inquiry.substr(7 + 32, 16), "CD-R Inkographer");

    // A door opened once refuses the picker's way home once. The drawer search stops at drive
    // 245, whose height lies in its own band.
    sim.Talk({{"!f10020C", "!f10C"},
              {"!e1C", "!e1006000000C"},
              {"!f10020C", "!f11C"},
              {"!f12402C", "!f11C"},
              {"!f0240C", "!f01027820C"}});

    // SIM0 carries printer B here: its drawer makes B, and only B, answer FIND.
    WritePort(sim, Esc("!d0C"), kSim0);
    sim.Talk({{"!f12602C", "!f10C"}, {"!e1C", "!e1003000000C"}, {"!f12612C", "!f11C"}});
    WritePort(sim, Esc("!d1C"), kSim0);
    WritePort(sim, Esc("!d0C"), kSim1);
    sim.Talk({{"!f12612C", "!f10C"}, {"!e1C", "!e1003000000C"}, {"!f12602C", "!f11C"}});
    EXPECT_TRUE(sim.Logged(R"("printer":"b","source":"usb1","cmd":"!d0C")"));

    // A blank disc from BIN1 through the open drive and the second gripper onto printer A.
    sim.Talk({{"!f12433C", "!f10C"}, // nothing in gripper 0 yet
              {"!f12004C", "!f11C"},
              {"!f12433C", "!f10C"}, // drive 243's drawer is closed
              {"!f12453C", "!f11C"},
              {"!f12457C", "!f11C"},
              {"!f32601100954C", "!f31C"},
              {"!f12606C", "!f11C"},
              {"!f0260C", "!f01100000C"},
              {"!f0200C", "!f01100024C"}});
}

TEST(DaxsimHalcyra, SettingsSenseSerialAndSelfCheckBelongToEachPrinter) {
    Sim sim("halcyra", {"sense=0:7", "sense_b=9", "align_b=0", "align_busy_polls=1",
                        "printer_b_serial=PBOLD", "reboot_ms=100"});
    sim.Talk({{"!e1C", "!e1000007009C"},
              {"!e1C", "!e1000000000C"},
              {"!f7261100C", "!f71C"},
              {"!f6260011C", "!f60C"},
              {"!e1C", "!e1005000000C"},
              {"!f4260010C", "!f41C"},
              {"!h1261C", "!h11C"},
              {"!f:261C", "!f:11PBOLD   "},
              {"!f9261CSERIAL-B", "!f91C"},
              {"!f:260C", "!f:10PA200001"},
              {"!f;2611C", "!f;2004321"},
              {"!f;2601C", "!f;2001234"},
              {"!f;2604C", "!f00000000"},
              {"!g1C", "!g11C"}});
    std::this_thread::sleep_for(milliseconds(300));
    // Printer A's offset was not stored with its own store command, printer B's margin was.
    EXPECT_TRUE(sim.Logged(
        R"("why":"restarted","printer":"a","rotational_offset":32,"left_margin":5,"top_margin":75,)"));
    EXPECT_TRUE(sim.Logged(
        R"("why":"restarted","printer":"b","rotational_offset":32,"left_margin":5,"top_margin":100,)"));

    // The self-check of the printer read last: B, without the align passes, ends with 13.
    sim.Talk({{"!f:261C", "!f:11SERIAL-B"},
              {"!f0261C", "!f01000000C"},
              {"!a3H", ""},
              {"!e1C", "!e1000000002C"},
              {"!e1C", "!e1000000013C"},
              {"!f0260C", "!f01000000C"},
              {"!a3H", ""},
              {"!e1C", "!e1000002000C"},
              {"!e1C", "!e1000000000C"}});
}

TEST(DaxsimHalcyra, OnePrinterOrParallelPortsWithTheFirstOneAbsent) {
    {
        Sim sim("halcyra-1", {"open_drive=none"});
        EXPECT_EQ(sim.Ask(Esc("!e0C"), 7 + 64).substr(0, 7), Esc("!e0064"));
        sim.Talk({{"!e1C", "!e1000000255C"},
                  {"!f0261C", "!f00000000C"},
                  {"!f:261C", "!f:01        "},
                  {"!f12402C", "!f10C"},
                  {"!e1C", "!e1003000255C"}});
        EXPECT_TRUE(fs::is_symlink(sim.dir + "/" + kSim0));
        EXPECT_FALSE(fs::exists(sim.dir + "/" + kSim1));
    }
    Sim sim("halcyra-lpt", {"lpt1=none"});
    EXPECT_FALSE(fs::exists(sim.dir + "/lpt1"));
    WritePort(sim, Esc("!d0C"), "lpt2");
    sim.Talk({{"!f12602C", "!f10C"}, {"!f12612C", "!f11C"}});
}

TEST(DaxsimHalcyra, PrintDataAndFirmwareReachThePrinterOnThePort) {
    Sim sim("halcyra", {"reboot_ms=100"});
    WritePort(sim, Block(33, 10) + Esc("!d0C"), kSim1);
    const std::string job = JobLine(sim, 1, "b");
    EXPECT_NE(job.find(R"("rows":10,"decoded_rows":10,)"), std::string::npos) << job;
    EXPECT_NE(job.find(R"("bytes_usb2":)"), std::string::npos) << job;
    sim.Talk({{"!f;2611C", "!f;2004322"}, {"!f;2601C", "!f;2001234"}});

    // Printer A's firmware: its file begins with the identification; the ESC bytes inside are
    // data, and what follows the image is print data again.
    std::string image(65536, '\x1b');
    image.replace(0, 30, "CD-R InkographerVERSION 5.41 B");
    WritePort(sim, Esc("!g065536C") + image + Esc("!d1C"), kSim0);
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_TRUE(sim.Logged(R"("event":"flash","target":"printer","printer":"a","bytes":65536,)"));
    EXPECT_TRUE(sim.Logged(R"("printer":"a","source":"usb1","cmd":"!d1C")"));
    const std::string inquiry = sim.Ask(Esc("!e0C"), 7 + 96);
    ASSERT_EQ(inquiry.size(), 7u + 96u);
    EXPECT_EQ(inquiry.substr(7 + 56, 6), "5.41 B");
    EXPECT_EQ(inquiry.substr(7 + 88, 4), "5.30");
}

} // namespace
