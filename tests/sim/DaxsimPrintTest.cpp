// daxsim's printer: its ports, the print data it takes from them and from the serial link, its
// decoding of raster rows, and what the host's print operations see of it.
#include "SimRig.h"

#include <signal.h>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace simrig;
using namespace std::string_literals;

TEST(DaxsimPrinter, PortsAreLinkedWhileItRunsAndRemovedAfter) {
    Sim sim("printer", {"lpt=12"}, B38400, {"--usb-printer"});
    std::vector<std::string> targets = {sim.pts};
    for (const std::string& entry : {kUsbEntry, std::string("lpt1"), std::string("lpt2")}) {
        const std::string target = fs::read_symlink(sim.dir + "/" + entry).string();
        EXPECT_EQ(target.rfind("/dev/pts/", 0), 0u) << entry;
        EXPECT_EQ(std::count(targets.begin(), targets.end(), target), 0) << entry;
        targets.push_back(target);
        EXPECT_TRUE(sim.Logged("\"" + entry.substr(0, entry.find('/')) + "\":\"" + target + "\""));
    }
    // A parallel port reaches the same printer.
    WritePort(sim, Esc("!d0C"), "lpt2");
    sim.Talk({{"!f12603C", "!f11C"}});
    EXPECT_TRUE(sim.Logged(R"("dir":"print","source":"lpt2","cmd":"!d0C"})"));
    kill(sim.proc.Pid(), SIGTERM);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, id_t(sim.proc.Pid()), &info, WEXITED | WNOWAIT), 0);
    for (const std::string& entry : {kUsbEntry, std::string("lpt1"), std::string("com4")})
        EXPECT_FALSE(fs::exists(fs::symlink_status(sim.dir + "/" + entry))) << entry;

    // Another name for the USB entry, so that two simulators can share a device directory.
    Sim other("basic", {"usb_entry=vid_044e&pid_200a#SIM1"}, B38400, {"--usb-printer"});
    EXPECT_TRUE(fs::is_symlink(other.dir + "/usb/vid_044e&pid_200a#SIM1"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(other.dir + "/lpt1")));
}

TEST(DaxsimPrinter, RowsOverTheSerialLinkAreTakenWholeEscapesIncludedAndNotAnswered) {
    daxtest::TempDir out;
    const std::string capture = out.Path() + "/print.bin";
    Sim sim("printer", {"print_busy_polls=0"}, B38400, {"--print-capture", capture});
    // Row data that holds a Request Sense, and a row of 192 ESC bytes; test bytes after ESC !c2C.
    const std::string print = Esc("!u0C") + Esc("!t000C") + Esc("!s400C") + Esc("!c2C") +
                              "\xff\x00\x55\xaa\x01\x02\x04\x08\x10\x20\x40\x80"s + Esc("*b1M") +
                              Esc("*p5Y") + RowCommand("\x6b\x1b!e1C") + RowCommand("\xbf\x1b");
    EXPECT_EQ(sim.Ask(print, 11, 300), "");
    // The status poll of the end-of-print wait ends the job; the print is counted.
    sim.Talk({{"!e1C", "!e1000000C"}, {"!f;1C", "!f;1=001235"}});
    EXPECT_EQ(daxtest::ReadFile(capture), print);
    EXPECT_EQ(JobLine(sim), R"("event":"print_job","job":1,"ended_by":"status poll","rows":2,)"
                            R"("decoded_rows":2,"bad_rows":0,"first_row":5,"last_row":6,)"
                            R"("bytes":)" +
                                std::to_string(print.size()) + R"(,"bytes_serial":)" +
                                std::to_string(print.size()) +
                                R"(,"other_bytes":0,"passes":0,"print_count":1235})");
    EXPECT_TRUE(sim.Logged(R"("dir":"print","source":"serial","cmd":"!c2C"})"));
    EXPECT_TRUE(sim.Logged(R"("dir":"print","source":"serial","size":)"));
}

TEST(DaxsimPrinter, AJobOnTheUsbPortIsDecodedCountedAndSeenBusyByTheWait) {
    daxtest::TempDir out;
    const std::string capture = out.Path() + "/print.bin";
    Sim sim("printer", {"print_busy_polls=2", "print_end_sense=4:1", "align_busy_polls=5"}, B38400,
            {"--usb-printer", "--print-capture", capture, "--print-pbm", out.Path()});
    const std::string setup = Esc("!u0C") + Esc("!t000C") + Esc("!s400C");
    EXPECT_EQ(sim.Ask(setup + Esc("!e1C"), 11), Esc("!e1000000C")); // set-up alone is no job
    // Three align passes of the same page; pass 3 inside a print is no self-check.
    const std::string block = Block(40, 300);
    const std::string job = Esc("!a1H") + block + Esc("!a2H") + block + Esc("!a3H") + block;
    WritePort(sim, job + Esc("!d0C"));
    EXPECT_NE(JobLine(sim).find(R"("ended_by":"drawer","rows":900,"decoded_rows":900,)"
                                R"("bad_rows":0,"first_row":40,"last_row":339,"bytes":)" +
                                std::to_string(setup.size() + job.size()) +
                                R"(,"bytes_serial":19,"bytes_usb":)" + std::to_string(job.size()) +
                                R"(,"other_bytes":0,"passes":3,"print_count":1235,"pbm":)"),
              std::string::npos)
        << daxtest::ReadFile(sim.log);
    // Busy for two polls, then the end-of-print sense once.
    sim.Talk({{"!e1C", "!e1002002C"},
              {"!e1C", "!e1002002C"},
              {"!e1C", "!e1004001C"},
              {"!e1C", "!e1000000C"},
              {"!f;1C", "!f;1=001235"}});
    EXPECT_EQ(daxtest::ReadFile(capture), setup + job + Esc("!d0C"));
    EXPECT_TRUE(sim.Logged(R"("dir":"print","source":"usb","size":)"));

    const std::string pbm = daxtest::ReadFile(out.Path() + "/job-1.pbm");
    const std::string header = "P4\n1536 340\n";
    ASSERT_EQ(pbm.size(), header.size() + 340u * 192u);
    EXPECT_EQ(pbm.substr(0, header.size()), header);
    std::string row41(192, '\0');
    row41[1] = '\x81';
    EXPECT_EQ(pbm.substr(header.size() + 41 * 192, 192), row41);
    EXPECT_EQ(pbm.substr(header.size() + 39 * 192, 192), std::string(192, '\0'));

    // A row of the wrong width is counted apart; a second job counts again.
    WritePort(sim, Esc("*b1M") + Esc("*p7Y") + RowCommand("\x10\x00") + RowCommand("\x01") +
                       Esc("!d0C"));
    EXPECT_NE(JobLine(sim, 2).find(R"("rows":2,"decoded_rows":0,"bad_rows":2,"first_row":7,)"
                                   R"("last_row":8,)"),
              std::string::npos);
    sim.Talk({{"!f;1C", "!f;1=001236"}});
}

TEST(DaxsimPrinter, AMorranePrintersWaitReadsItsCodeSequence) {
    Sim sim("morrane", {"morrane_codes=3,3,21", "pocket_value=12"}, B38400, {"--usb-printer"});
    sim.Talk({{"!f0270C", "!f01000012C"}, {"!f22600C", "!f21C"}});
    // An alignment file is the printer's own format: other bytes, printed all the same.
    WritePort(sim, "MOALIGN\x01\x02"s + Esc("E") + "\x00\xff"s);
    sim.Talk({{"!e1C", "!e1000003C"},
              {"!f12600C", "!f11C"},
              {"!e1C", "!e1000003C"},
              {"!e1C", "!e1000021C"},
              {"!e1C", "!e1000000C"}});
    EXPECT_NE(JobLine(sim).find(R"("ended_by":"status poll","rows":0,)"), std::string::npos);
    EXPECT_TRUE(sim.Logged(R"("bytes_usb":13,"other_bytes":13,)"));
}

TEST(DaxsimPrinter, DiscMovesForPrinting) {
    // An empty BIN1 fails the load with Medium Error.
    Sim empty("printer", {"bin1=0"});
    empty.Talk({{"!f12002C", "!f10C"}, {"!e1C", "!e1003000C"}, {"!f0200C", "!f01000000C"}});

    // The rotator load puts the disc in the gripper onto the printer; with an empty gripper it
    // takes one from the bin. Reloading takes the disc off the printer first.
    Sim sim("printer");
    sim.Talk({{"!f12002C", "!f11C"},
              {"!f31100000C", "!f31C"},
              {"!f0260C", "!f01100000C"},
              {"!f0200C", "!f01100024C"},
              {"!f12602C", "!f11C"},
              {"!f31100000C", "!f31C"},
              {"!f0200C", "!f01100024C"},
              {"!f31100000C", "!f30C"},
              {"!e1C", "!e1003000C"},
              {"!f12602C", "!f11C"},
              {"!f12011C", "!f11C"},
              {"!f0201C", "!f01100001C"}});
    Sim noRotator("printer", {"rotator=0"});
    noRotator.Talk({{"!f12002C", "!f11C"}, {"!f31100000C", "!f30C"}, {"!e1C", "!e1005000C"}});
}

} // namespace
