// The transporter's printer operations: print data over the link and over a matched USB port,
// disc loads, the Morrane end-of-print wait, the USB printer match and the alignment files.
#include "devices/CVelmora.h"
#include "flow/ScriptedTransporter.h"
#include "patterns/BuiltInPatterns.h"
#include "platform/fake/FakePrinterDevices.h"
#include "printers/CUsbPrinterPort.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace dax;
using namespace dax::flow;

namespace {

const std::string kUsbA = "\\\\?\\usb#vid_044e&pid_200a#A#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
const std::string kUsbB = "\\\\?\\usb#vid_044e&pid_1301#B#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

Inquiry WithPrinter() {
    Inquiry q;
    q.count = 64;
    return q;
}

Inquiry Morrane(const std::string& model = "DKPR10") {
    Inquiry q;
    q.count = 64;
    q.printerName = "MORRANE DP";
    q.printerModel = model;
    return q;
}

struct VelmoraPrint : ::testing::Test {
    ScriptedTransporter t;
    CountingInteraction ui;
    FakePrinterDevices printers;
    std::filesystem::path dir;

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("daxprint-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        // The basic configuration: DRIVE HOME and DRIVE1 answer.
        t.elementStates[240] = 0;
        t.elementStates[241] = 0;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::unique_ptr<CVelmora> Make(const Inquiry& inquiry = WithPrinter()) {
        EXPECT_TRUE(StoreInquiry(inquiry));
        return std::make_unique<CVelmora>(t.port.get(), t.clock, ui,
                                          PrinterAccess{&printers, {Place("program")}});
    }
    // One of the directories the alignment files are looked for in, made if need be.
    std::string Place(const std::string& name) const {
        std::filesystem::create_directories(dir / name);
        return (dir / name).string() + "/";
    }
    void WriteFile(const std::string& name, const std::string& content,
                   const std::string& place = "program") {
        std::ofstream(Place(place) + name, std::ios::binary) << content;
    }
};

std::vector<uint8_t> Data(size_t n) {
    std::vector<uint8_t> data(n);
    for (size_t i = 0; i < n; ++i)
        data[i] = uint8_t('A' + i % 26);
    return data;
}

} // namespace

TEST_F(VelmoraPrint, PrintDataGoOverTheLinkIn64BytePiecesWithTheirOwnTimeOut) {
    auto v = Make();
    const auto data = Data(3000);
    ASSERT_TRUE(v->SendPrintData(data.data(), 3000));
    std::vector<size_t> expected(46, 64);
    expected.push_back(56);
    EXPECT_EQ(Sizes(t.printWrites), expected);
    EXPECT_EQ(t.printed, std::string(data.begin(), data.end()));
    EXPECT_EQ(t.Sent(), "[3000]"); // no answer is waited for
    EXPECT_EQ(t.line->timeouts.writeTotalConstant, 10000u);
    EXPECT_EQ(t.line->timeouts.writeTotalMultiplier, 100u);

    // Nothing to send still succeeds; a failed write says why.
    EXPECT_TRUE(v->SendPrintData(data.data(), 0));
    t.line->writeErrno = 5;
    EXPECT_FALSE(v->SendPrintData(data.data(), 100));
    EXPECT_EQ(v->GetErrorText(), "Error writing to COM port - 5");
    // Without its time-out a stalled write could block for ever: nothing is written then.
    t.line->writeErrno = 0;
    t.line->setTimeoutsErrno = 13;
    const size_t before = t.printWrites.size();
    EXPECT_FALSE(v->SendPrintData(data.data(), 100));
    EXPECT_EQ(t.printWrites.size(), before);
    EXPECT_FALSE(v->GetErrorText().empty());
}

TEST_F(VelmoraPrint, TheSecondOfTwoUsbPrintersIsMatchedAndTakesThePrintData) {
    FakePrinter& a = printers.AddUsbPrinter(kUsbA);
    FakePrinter& b = printers.AddUsbPrinter(kUsbB);
    // The transporter sees its drawer out only while B's drawer is open.
    DrawerOpenedThrough(b, t, "!f12603C");
    auto v = Make(Morrane());
    EXPECT_EQ(v->m_nPrinters, 0);
    v->Initialize();

    EXPECT_EQ(v->m_nPrinters, 1); // a Morrane printer counts once found on USB
    ASSERT_NE(v->GetUsbPrinterPort(), nullptr);
    EXPECT_EQ(v->GetUsbPrinterPort()->GetName(), "USBPRINT-1");
    // Both take the close-drawer command, then A is probed (refused) before B matches.
    const std::vector<std::string> drawer = {"\x1B!d1C", "\x1B!d0C", "\x1B!d1C"};
    EXPECT_EQ(Texts(a.writes), drawer);
    EXPECT_EQ(Texts(b.writes), drawer);
    const std::string sent = t.Sent();
    EXPECT_NE(sent.find("!f12600C !f12603C !e1C !f12603C"), std::string::npos) << sent;
    const std::vector<uint32_t> probePauses(t.clock.sleeps.end() - 4, t.clock.sleeps.end());
    EXPECT_EQ(probePauses, (std::vector<uint32_t>{5000, 4000, 5000, 4000}));
    // The other transporter's printer is not held open.
    EXPECT_FALSE(a.open);
    EXPECT_TRUE(b.open);

    // Print data now go to B in pieces of at most 1024 bytes, none over the link.
    const auto data = Data(3000);
    ASSERT_TRUE(v->SendPrintData(data.data(), 3000));
    const std::vector<std::vector<uint8_t>> pieces(b.writes.end() - 3, b.writes.end());
    EXPECT_EQ(Sizes(pieces), (std::vector<size_t>{1024, 1024, 952}));
    EXPECT_TRUE(t.printWrites.empty());

    // A short write keeps the port's text.
    b.writeOutcomes.push_back({0, 512});
    EXPECT_FALSE(v->SendPrintData(data.data(), 3000));
    EXPECT_EQ(v->GetErrorText(), "WriteFile error: 512 bytes written of 1024 requested");
}

TEST_F(VelmoraPrint, WithoutAMatchThePrinterCountStaysAndDataUseTheLink) {
    FakePrinter& a = printers.AddUsbPrinter(kUsbA);
    printers.AddUsbPrinter(kUsbB).openError = EBUSY; // held by another program: no candidate
    t.refusals["!f12603C"] = {3, 0};
    auto v = Make();
    v->Initialize();
    EXPECT_EQ(v->m_nPrinters, 1);
    EXPECT_EQ(v->GetUsbPrinterPort(), nullptr);
    EXPECT_EQ(printers.OpenCount(), 0);
    EXPECT_EQ(a.writes.size(), 3u);
    const auto data = Data(10);
    ASSERT_TRUE(v->SendPrintData(data.data(), 10));
    EXPECT_EQ(t.printWrites.size(), 1u);
}

TEST_F(VelmoraPrint, LoadingADiscFromBin1OrThroughTheRotator) {
    auto v = Make();
    v->m_bRotator = true;
    ASSERT_TRUE(v->LoadPrinter(0));
    EXPECT_EQ(t.Sent(), "!e1C !f12002C !f31100000C [12]");
    EXPECT_EQ(t.AnswerTimeouts().back(), 120000u);
    ASSERT_TRUE(v->LoadPrinter(-1)); // no bin: the plain put
    EXPECT_EQ(t.Sent(), "!e1C !f12002C !f12601C [12]");
    ASSERT_TRUE(v->ReloadPrinter(-1));
    EXPECT_EQ(t.Sent(), "!e1C !f12602C !f12601C [12]");

    // A Morrane printer takes no set-up bytes: its drawer is closed instead.
    auto m = Make(Morrane());
    ASSERT_TRUE(m->LoadPrinter(-1));
    EXPECT_EQ(t.Sent(), "!e1C !f12002C !f12601C !f22600C");
    ASSERT_TRUE(m->ReloadPrinter(-1));
    EXPECT_EQ(t.Sent(), "!e1C !f12602C !f12601C");
}

TEST_F(VelmoraPrint, MorraneWaitCodeSequences) {
    auto v = Make(Morrane());
    // Waiting for its drawer (3), then 21: done; the drawer is closed once.
    t.printerSenses = {3, 3, 21};
    EXPECT_TRUE(v->WaitPrintComplete());
    EXPECT_EQ(t.Sent(), "!e1C !f12600C !e1C !e1C");
    EXPECT_EQ(t.AnswerTimeouts()[1], 7000u);

    t.printerSenses = {1, 21};
    EXPECT_FALSE(v->WaitPrintComplete());
    EXPECT_EQ(t.Sent(), "!e1C !e1C");
    EXPECT_NE(v->GetErrorText().find("Print failed - "), std::string::npos);

    t.clock.sleeps.clear();
    t.printerSenses = {0, 0};
    EXPECT_FALSE(v->WaitPrintComplete());
    EXPECT_EQ(std::count(t.clock.sleeps.begin(), t.clock.sleeps.end(), 2000u), 1);
    EXPECT_EQ(t.Sent(), "!e1C !e1C");
    EXPECT_FALSE(v->GetErrorText().empty());

    // A printer that stays on 3 gives up after 62 passes.
    t.printerSense = 3;
    t.printerSenses.clear();
    EXPECT_FALSE(v->WaitPrintComplete());
    EXPECT_EQ(std::count(t.commands.begin(), t.commands.end(), "!e1C"), 62);
    EXPECT_EQ(v->GetErrorText(), "Timed out waiting for print completion");
    t.commands.clear();

    // A silent status poll is asked once more after 5 s.
    t.printerSense = 4;
    t.silentSenses = 2;
    t.clock.sleeps.clear();
    EXPECT_TRUE(v->WaitPrintComplete());
    EXPECT_EQ(std::count(t.clock.sleeps.begin(), t.clock.sleeps.end(), 5000u), 1);
}

TEST_F(VelmoraPrint, MorraneOffsetMarksComeFromTheAlignmentFileBesideTheProgram) {
    for (const char* name : {"MoAlignCMY.prn", "MoAlignMONO.prn", "Mo2AlignCMY.prn",
                             "Mo2AlignMONO.prn", "Mo3AlignCMY.prn"})
        WriteFile(name, name);
    const uint8_t* data = nullptr;

    t.ElementValue(270, 12);
    auto v = Make(Morrane("DKPR21"));
    uint32_t n = v->GetPattern(3, &data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), n), "Mo2AlignMONO.prn");
    EXPECT_EQ(t.Sent(), "!f0270C");
    v->ReleasePattern();

    t.ElementValue(270, 21);
    v = Make(Morrane("DKPR22"));
    n = v->GetPattern(3, &data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), n), "Mo3AlignCMY.prn");
    t.ElementValue(270, 30);
    v = Make(Morrane());
    n = v->GetPattern(3, &data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), n), "MoAlignCMY.prn");

    // A value ending in 7 names no file; neither does the grid on a Morrane printer.
    t.ElementValue(270, 7);
    EXPECT_EQ(v->GetPattern(3, &data), 0u);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(v->GetPattern(2, &data), 0u);
    EXPECT_EQ(v->GetErrorText(), CVelmora::kGridNotOnMorrane);
    // A missing file gives nothing, and says which and where it was looked for.
    t.ElementValue(270, 22);
    v = Make(Morrane("DKPR22"));
    EXPECT_EQ(v->GetPattern(3, &data), 0u);
    EXPECT_EQ(v->GetErrorText(), "Unable to find Mo3AlignMONO.prn in " + Place("program"));

    // Only a regular file of a print job's size is read: nothing waits on a FIFO, nothing reads
    // a device or a huge file into memory.
    std::filesystem::resize_file(dir / "program" / "Mo3AlignCMY.prn",
                                 CVelmora::kMaxAlignmentFileBytes + 1);
    t.ElementValue(270, 21);
    EXPECT_EQ(v->GetPattern(3, &data), 0u);
    EXPECT_NE(v->GetErrorText().find("Mo3AlignCMY.prn is too large"), std::string::npos);
#ifndef _WIN32
    const std::filesystem::path file = dir / "program" / "Mo3AlignMONO.prn";
    t.ElementValue(270, 22);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(v->GetPattern(3, &data), 0u);
    EXPECT_EQ(v->GetErrorText(), file.string() + " is a FIFO, not a regular file");
    std::filesystem::remove(file);
    std::filesystem::create_symlink("/dev/zero", file);
    EXPECT_EQ(v->GetPattern(3, &data), 0u);
    EXPECT_EQ(v->GetErrorText(), file.string() + " is a character device, not a regular file");
#endif
}

// An installed program finds the files in the data directories after its own: the first that
// has the file wins.
TEST_F(VelmoraPrint, AlignmentFilesAreLookedForInEachDataDirectoryInTurn) {
    WriteFile("MoAlignCMY.prn", "user", "user");
    WriteFile("MoAlignCMY.prn", "system", "system");
    WriteFile("MoAlignMONO.prn", "system", "system");
    t.ElementValue(270, 30);
    EXPECT_TRUE(StoreInquiry(Morrane()));
    CVelmora v(t.port.get(), t.clock, ui,
               PrinterAccess{&printers, {Place("program"), Place("user"), Place("system")}});
    const uint8_t* data = nullptr;
    uint32_t n = v.GetPattern(3, &data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), n), "user");
    t.ElementValue(270, 32);
    n = v.GetPattern(3, &data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), n), "system");
    t.ElementValue(270, 31);
    std::filesystem::remove(dir / "user/MoAlignCMY.prn");
    std::filesystem::remove(dir / "system/MoAlignCMY.prn");
    EXPECT_EQ(v.GetPattern(3, &data), 0u);
    EXPECT_EQ(v.GetErrorText(), "Unable to find MoAlignCMY.prn in " + Place("program") + ", " +
                                    Place("user") + ", " + Place("system"));
}

TEST_F(VelmoraPrint, OtherPrintersHandOutTheBuiltInBlocks) {
    auto v = Make();
    const uint8_t* data = nullptr;
    EXPECT_EQ(v->GetPattern(2, &data), BuiltInPattern(2).size());
    EXPECT_EQ(data, BuiltInPattern(2).data()); // by address, not copied
    EXPECT_EQ(v->GetPattern(3, &data), BuiltInPattern(3).size());
    EXPECT_EQ(data, BuiltInPattern(3).data());
    EXPECT_EQ(v->GetPattern(4, &data), 0u);
    EXPECT_EQ(t.Sent(), "");
}
