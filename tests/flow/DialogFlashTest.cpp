// The firmware update from the main dialog: file handling, blocks, progress, fill, re-probe.
#include "devices/CVelmora.h"
#include "flow/DialogRig.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace dax::flow {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Pattern(size_t n, uint8_t seed = 1) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = uint8_t(i * 7 + seed);
    return v;
}

void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(uint8_t(x >> (8 * i)));
}

// An image of `n` bytes with `id` at 160 and `family` at 193; "DISC TRANSPORTER" at 160 also marks
// a multi-image file when it is the first record.
std::vector<uint8_t> Image(size_t n, const std::string& id, const std::string& family = "",
                           uint8_t seed = 1, size_t at = 160) {
    auto image = Pattern(n, seed);
    std::copy(id.begin(), id.end(), image.begin() + long(at));
    std::copy(family.begin(), family.end(), image.begin() + 193);
    return image;
}

// Firmware for this transporter, as the files of its maker carry it.
std::vector<uint8_t> Firmware(size_t n, uint8_t seed = 1) {
    return Image(n, "DISC TRANSPORTERVERSION 3.25 A", "Velmora", seed);
}

// A file of records (size, image), marked as multi-image at offset 164.
std::vector<uint8_t> MultiImage(const std::vector<std::vector<uint8_t>>& images) {
    std::vector<uint8_t> file;
    for (const auto& image : images) {
        Put32(file, uint32_t(image.size()));
        file.insert(file.end(), image.begin(), image.end());
    }
    return file;
}

struct FlashRig : DialogRig {
    explicit FlashRig(Inquiry inquiry = {.revision = "3.25 "}) : t(Start(Attach(2, inquiry))) {
        dir = fs::temp_directory_path() / ("daxflash-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    ~FlashRig() { fs::remove_all(dir); }
    std::string File(const std::vector<uint8_t>& bytes) {
        const std::string path = (dir / ("f" + std::to_string(files++) + ".bin")).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    // Runs the update on the given file contents; only its commands are kept.
    void Flash(const std::vector<uint8_t>& bytes, bool disableCheck = true) {
        t.commands.clear();
        view.cursorOffAt.clear();
        view.fileToOpen = File(bytes);
        view.SetCheck(IDC_DISABLE_CHECK, disableCheck);
        view.answerYes = disableCheck; // the question the disabled check asks
        view.statuses.clear();
        view.messages.clear();
        Dialog().OnUpdateFlash();
    }
    // The first command after the inquiry that asks what is on the line.
    std::string Programming() const {
        for (const std::string& c : t.commands)
            if (c != "!e0C")
                return c;
        return {};
    }
    std::vector<std::string> Progress() const {
        std::vector<std::string> p;
        for (const auto& s : view.statuses)
            if (s.rfind("Downloading - ", 0) == 0)
                p.push_back(s);
        return p;
    }
    ScriptedTransporter& t;
    fs::path dir;
    int files = 0;
};

TEST(DialogFlash, AnImageGoesInBlocksWithProgressAndTheTransporterIsFoundAgain) {
    FlashRig rig;
    const auto image = Firmware(8192 + 100);
    rig.Flash(image);
    EXPECT_EQ(rig.view.fileDialogs.front(),
              "Select file to load flash from|Flash Files(*.bin)|*.bin");
    // The transporter on the line is asked what it is before anything is programmed.
    EXPECT_EQ(rig.t.Sequence().rfind("!e0C !g08292C", 0), 0u) << rig.t.Sequence();
    EXPECT_EQ(rig.t.flashData, image);
    EXPECT_EQ(rig.Progress(), (std::vector<std::string>{"Downloading - 49%", "Downloading - 98%",
                                                        "Downloading - completed"}));
    // What goes where is said before anything is programmed: asked, as the check is disabled.
    const std::string plan = "DISC TRANSPORTER 3.25 A on COM2 <- image 1 of 1, 8292 bytes, general "
                             "transporter firmware for DISC TRANSPORTER 3.25 A, family Velmora";
    ASSERT_EQ(rig.view.messages.size(), 1u);
    EXPECT_NE(rig.view.messages[0].find("compatibility check is disabled"), std::string::npos);
    EXPECT_NE(rig.view.messages[0].find("\n" + plan + "\n"), std::string::npos);
    EXPECT_EQ(rig.view.statuses[0], plan);
    EXPECT_EQ(rig.view.statuses[1], "Erasing...");
    EXPECT_EQ(rig.Dialog().m_strStatus, "Flash update succeeded - now 3.25 A");
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Succeeded);
    // The wait cursor stays on through the download and the restart wait.
    EXPECT_EQ(rig.view.cursorOffAt, std::vector<std::string>{rig.Dialog().m_strStatus});
    ASSERT_NE(rig.Dialog().GetTransporter(), nullptr);
    EXPECT_FALSE(rig.view.GetCheck(IDC_DISABLE_CHECK));
    // 5 s after the download, then the reboot delay, before the re-probe.
    const auto& sleeps = rig.clock.sleeps;
    const uint32_t waits[] = {5000, 10000};
    EXPECT_NE(std::search(sleeps.begin(), sleeps.end(), std::begin(waits), std::end(waits)),
              sleeps.end());

    rig.Flash(Firmware(8192)); // two full blocks: one progress message, 50
    EXPECT_EQ(rig.Progress(),
              (std::vector<std::string>{"Downloading - 50%", "Downloading - completed"}));
}

TEST(DialogFlash, AnImageTheTransporterRejectedIsAFailureWithItsSense) {
    FlashRig rig;
    rig.t.senseAfterImage = 16; // it restarts with its old firmware and says why
    rig.Flash(Firmware(5000));
    EXPECT_EQ(rig.t.flashData.size(), 5000u);
    EXPECT_EQ(rig.Dialog().m_strStatus, "Flash update failed - Transporter: Prog Flash Failure");
    ASSERT_NE(rig.Dialog().GetTransporter(), nullptr);             // found again: exit 1, not 2
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Failed); // though the re-probe found it
    EXPECT_EQ(rig.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, -1), 0);

    rig.t.transporterSense = 0;
    rig.t.senseAfterImage = 15; // the download itself was not taken
    rig.Flash(Firmware(5000));
    EXPECT_EQ(rig.Dialog().m_strStatus, "Flash update failed - Transporter: Host Comm Failure");

    // A condition that says nothing about the firmware: a success that names it.
    rig.t.transporterSense = 6;
    rig.t.senseAfterImage = 0;
    rig.Flash(Firmware(5000));
    EXPECT_EQ(rig.Dialog().m_strStatus,
              "Flash update succeeded - now 3.25 A; the transporter reports Unit Attention(door)");

    // Not Ready is asked again, through the clock, until it changes.
    rig.t.transporterSense = 2;
    int senses = 0;
    rig.t.onCommand = [&](const std::string& c) {
        if (c == "!e1C" && ++senses == 4)
            rig.t.transporterSense = 0;
    };
    rig.clock.sleeps.clear();
    rig.Flash(Firmware(5000));
    EXPECT_EQ(rig.Dialog().m_strStatus, "Flash update succeeded - now 3.25 A");
    EXPECT_GE(std::count(rig.clock.sleeps.begin(), rig.clock.sleeps.end(), 1000u), 2);
    // One that never changes is given up on after a bound, and named.
    rig.t.onCommand = nullptr;
    rig.t.transporterSense = 2;
    rig.Flash(Firmware(5000));
    EXPECT_EQ(rig.Dialog().m_strStatus,
              "Flash update succeeded - now 3.25 A; the transporter reports Not Ready");
}

// The image says which revision it holds: a transporter that restarts with another one did not
// take it, whatever its sense says.
TEST(DialogFlash, TheRestartedTransporterMustRunTheImagesRevision) {
    FlashRig rig;
    rig.Flash(Image(6000, "DISC TRANSPORTERVERSION 3.40 C"));
    EXPECT_EQ(rig.Dialog().m_strStatus, "Flash update did not take - the transporter runs 3.25 A "
                                        "after its restart, the image holds 3.40 C");
    ASSERT_NE(rig.Dialog().GetTransporter(), nullptr);

    rig.t.onCommand = [&](const std::string& c) {
        if (c.rfind("!g0", 0) == 0)
            rig.t.inquiry->revision = "3.40 "; // runs the new firmware after its restart
    };
    rig.Flash(Image(6000, "DISC TRANSPORTERVERSION 3.40 A"));
    EXPECT_EQ(rig.Dialog().m_strStatus, "Flash update succeeded - now 3.40 A");
}

// The check and the programming are for the transporter on the line now, and for the bytes
// read once from the file.
TEST(DialogFlash, TheTransporterAndTheFileAreTakenAsTheyAreAtTheUpdate) {
    FlashRig rig;
    const auto image = Firmware(6000);
    rig.t.inquiry->product = "KORVIX QT6400"; // the cable moved to another unit
    rig.Flash(image);
    EXPECT_EQ(rig.Dialog().m_strStatus,
              "The transporter on \\\\.\\COM2 has changed since it was found (it now answers as "
              "\"KORVIX QT6400   VERSION 3.25 A\"): nothing was programmed; choose the port again");
    EXPECT_EQ(rig.t.Sequence(), "!e0C");
    EXPECT_TRUE(rig.t.flashData.empty());

    // Rewritten while it is checked (a copy still in progress).
    rig.t.inquiry->product = "DISC TRANSPORTER";
    const std::string path = rig.File(image);
    rig.t.onCommand = [&](const std::string& c) {
        if (c == "!e0C" && rig.t.flashData.empty()) {
            const auto other = Firmware(7000, 9);
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(other.data()), std::streamsize(other.size()));
        }
    };
    rig.view.fileToOpen = path;
    rig.view.SetCheck(IDC_DISABLE_CHECK, true);
    rig.Dialog().OnUpdateFlash();
    EXPECT_EQ(rig.t.flashData, image);
    EXPECT_EQ(rig.Dialog().m_strStatus, "Flash update succeeded - now 3.25 A");
}

// The programming command's answer lost or garbled: the device may be waiting for the image.
TEST(DialogFlash, AProgrammingStateNobodyKnowsIsSaidAndRememberedAndGetsNoImage) {
    const std::string advice = "; the transporter may be left in programming mode: switch it off "
                               "and on, then run the update again";
    for (const std::string answer : {"", "\x1B!g0?C"}) {
        FlashRig rig;
        rig.t.programmingAnswer = answer;
        const auto image = Firmware(6000, 0x55);
        rig.Flash(image);
        // A lost answer names its command; after a garbled one the sense went unanswered.
        EXPECT_EQ(rig.Dialog().m_strStatus,
                  "Failed to send Update Flash command - Receive timeout" +
                      std::string(answer.empty() ? " (ESC !g06000C)" : "") + advice);
        EXPECT_EQ(rig.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, 0), 2);
        // Asked again in the same run: its inquiry is swallowed as image data, and nothing follows.
        rig.Flash(image);
        const std::string swallowed(rig.t.flashData.begin(), rig.t.flashData.end());
        // Only its inquiry went out: unanswered, it stopped the update.
        EXPECT_EQ(swallowed, answer.empty() ? "\x1B!e0C" : "\x1B!e1C\x1B!e1C\x1B!e0C");
        EXPECT_EQ(rig.Dialog().m_strStatus.rfind("The transporter on \\\\.\\COM2 did not answer "
                                                 "before programming - ",
                                                 0),
                  0u)
            << rig.Dialog().m_strStatus;
        EXPECT_EQ(std::search(rig.t.flashData.begin(), rig.t.flashData.end(), image.begin(),
                              image.begin() + 8),
                  rig.t.flashData.end());

        // The next run finds nothing there and says why.
        rig.dlg.reset();
        rig.Dialog().OnInitDialog();
        EXPECT_EQ(rig.Dialog().m_strStatus,
                  "No transporter found - the firmware update on \\\\.\\COM2 did not finish" +
                      std::string(":") + advice.substr(1));
        // Switched off and on: found, and the warning is gone.
        rig.t.flashExpected = 0;
        rig.dlg.reset();
        rig.Dialog().OnInitDialog();
        ASSERT_NE(rig.Dialog().GetTransporter(), nullptr);
        EXPECT_EQ(rig.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, -1), 0);
    }
    // A clean refusal leaves the device as it was: no warning, nothing remembered.
    FlashRig rig;
    rig.t.refusals["!g06000C"] = {5, 0};
    rig.Flash(Firmware(6000));
    EXPECT_EQ(rig.Dialog().m_strStatus,
              "Failed to send Update Flash command - Transporter: Illegal Request");
    EXPECT_EQ(rig.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, -1), 0);
}

// Stopping mid-download: at a block boundary, remembered, and the advice given; after the
// download, the re-probe is skipped.
TEST(DialogFlash, AStopAskedForDuringProgrammingEndsAtABlockAndSaysWhatToDo) {
    const std::string advice = "the transporter may be left in programming mode: switch it off "
                               "and on, then run the update again";
    FlashRig rig;
    rig.view.stopWhen = [&] { return !rig.Progress().empty(); }; // after the first block
    rig.Flash(Firmware(3 * 4096 + 10));
    EXPECT_EQ(rig.t.flashData.size(), 4096u);
    EXPECT_EQ(rig.Dialog().m_strStatus,
              "Firmware download stopped after 4096 of 12298 bytes; " + advice);
    EXPECT_EQ(rig.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, 0), 2);
    EXPECT_EQ(rig.view.programming, (std::vector<bool>{true, false}));
    EXPECT_FALSE(rig.Dialog().IsBusy());

    FlashRig late;
    const auto image = Firmware(5000);
    late.view.stopWhen = [&] { return late.t.flashData.size() == image.size(); };
    late.Flash(image);
    EXPECT_EQ(late.t.flashData, image);
    EXPECT_EQ(late.Dialog().m_strStatus,
              "Flash update stopped after the download, before the transporter was found again: " +
                  advice);
    EXPECT_EQ(late.t.commands.back(), "!g05000C"); // no inquiry after it
    EXPECT_EQ(late.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, 0), 2);
}

TEST(DialogFlash, OldFirmwareGetsTheFillAndTheChecksum) {
    FlashRig rig({.revision = "2.50 "});
    ASSERT_TRUE(rig.Dialog().GetTransporter()->m_bOldFirmware);
    const auto image = Firmware(10000);
    rig.Flash(image);
    EXPECT_EQ(rig.Programming(), "!g065534C");
    ASSERT_EQ(rig.t.flashData.size(), 65534u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), rig.t.flashData.begin()));
    EXPECT_TRUE(std::all_of(rig.t.flashData.begin() + 10000, rig.t.flashData.end() - 2,
                            [](uint8_t b) { return b == 0xFF; }));
    uint16_t sum = 0;
    for (size_t i = 0; i < 65532; ++i)
        sum = uint16_t(sum + rig.t.flashData[i]);
    EXPECT_EQ(rig.t.flashData[65532], sum >> 8);
    EXPECT_EQ(rig.t.flashData[65533], sum & 0xFF);
    // 6% and 12% of 65534 for the image, then the fill counts against 65536.
    EXPECT_EQ(rig.Progress()[0], "Downloading - 6%");
    EXPECT_EQ(rig.Progress()[2], "Downloading - 21%");

    // More than 65532 bytes cannot follow an announced 65534: refused before programming.
    rig.Flash(Firmware(65533));
    EXPECT_TRUE(rig.t.commands.empty());
    EXPECT_NE(rig.Dialog().m_strStatus.find("too large"), std::string::npos);
}

TEST(DialogFlash, DamagedOrUnreadableFilesNeverReachTheDevice) {
    FlashRig rig;
    const auto first = Image(70000, "DISC TRANSPORTER");
    auto pastEnd = MultiImage({first});
    pastEnd[0] = 0xFF; // the size claims more than the file holds
    auto wraps = MultiImage({first});
    std::fill_n(wraps.begin(), 4, 0xFF);
    // A first record of size 0: the marker then falls into the second image.
    const auto second = Image(70000, "DISC TRANSPORTER", "", 1, 156);
    const std::vector<std::vector<uint8_t>> bad = {pastEnd, wraps, MultiImage({{}, second}), {}};
    for (const auto& file : bad) {
        rig.Flash(file);
        EXPECT_TRUE(rig.t.commands.empty()) << rig.Dialog().m_strStatus;
        EXPECT_NE(rig.Dialog().m_strStatus.find(file.empty() ? "empty" : "damaged"),
                  std::string::npos)
            << rig.Dialog().m_strStatus;
    }
    rig.view.fileToOpen = (rig.dir / "missing.bin").string();
    rig.Dialog().OnUpdateFlash();
    EXPECT_EQ(rig.Dialog().m_strStatus, "Unable to open file " + rig.view.fileToOpen);
}

TEST(DialogFlash, HugeAndSpecialFilesAreRefusedBeforeAnyRead) {
    FlashRig rig;
    // Sparse files: their size costs no disk, reading them would cost seconds to minutes.
    for (const uint64_t size :
         {uint64_t(16u << 20) + 1, uint64_t(1536) << 20, uint64_t(0xFFFFFFFF), uint64_t(5) << 30}) {
        const std::string path = rig.File({});
        fs::resize_file(path, size);
        rig.view.fileToOpen = path;
        rig.Dialog().OnUpdateFlash();
        EXPECT_EQ(rig.Dialog().m_strStatus, "Flash file " + path +
                                                " is too large: " + std::to_string(size) +
                                                " bytes, a flash file has at most 16777216");
    }
    // A folder is no file. On POSIX, neither is a device, nor a FIFO with no writer, which would
    // block the open for ever; Windows has no such files to name by path.
    std::vector<std::string> special{rig.dir.string()};
#ifndef _WIN32
    const std::string fifo = (rig.dir / "fifo.bin").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    special.push_back(fifo);
    special.push_back("/dev/zero");
#endif
    for (const std::string& path : special) {
        rig.view.fileToOpen = path;
        rig.Dialog().OnUpdateFlash();
        EXPECT_EQ(rig.Dialog().m_strStatus, "Unable to open file " + path + ": not a regular file");
    }
    EXPECT_TRUE(rig.t.commands.empty());
    EXPECT_FALSE(rig.Dialog().IsBusy());
}

// The check box lets an image cross printer families; it never loads bytes that are no firmware
// of any product, and it asks first, naming what is skipped and what would go where.
TEST(DialogFlash, WithTheCheckDisabledUnknownBytesAreRefusedAndAnyImageIsAskedFor) {
    FlashRig rig;
    const int marker = rig.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, -1);
    const std::string text = "hello\n";
    rig.Flash(std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(rig.Dialog().m_strStatus,
              "Flash file is incompatible - image 1 of 1 carries no identification of a product "
              "this program knows, so it is refused even with the compatibility check disabled; "
              "nothing was programmed");
    EXPECT_TRUE(rig.view.messages.empty());
    EXPECT_TRUE(rig.t.commands.empty());

    rig.view.fileToOpen = rig.File(Image(6000, "KORVIX QT6400   VERSION 3.40 A", "pyrel4"));
    rig.view.SetCheck(IDC_DISABLE_CHECK, true);
    rig.view.answerYes = false;
    rig.Dialog().OnUpdateFlash();
    ASSERT_EQ(rig.view.messages.size(), 1u);
    EXPECT_NE(rig.view.messages[0].find("DISC TRANSPORTER 3.25 A on COM2 <- image 1 of 1, 6000 "
                                        "bytes, loader firmware for KORVIX QT6400 3.40 A, "
                                        "family pyrel4"),
              std::string::npos)
        << rig.view.messages[0];
    EXPECT_EQ(rig.Dialog().m_strStatus, "Flash update cancelled: nothing was programmed");
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Cancelled);
    EXPECT_TRUE(rig.t.commands.empty());
    EXPECT_EQ(rig.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, -1), marker);
}

// The check alone says which image would be programmed and why, or why none fits, as the
// update itself does; nothing is programmed and no unfinished update is remembered.
TEST(DialogFlash, TheCheckAloneNamesTheImageThatFitsOrWhyNoneDoes) {
    FlashRig rig; // the basic configuration
    const int marker = rig.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, -1);
    const auto quentar = Image(70000, "DISC TRANSPORTERVERSION 3.40 C", "Quentar", 3);
    rig.Dialog().OnCheckFlashFile(rig.File(MultiImage({quentar, Firmware(9000, 5)})));
    const std::string quentarWhy =
        "image 1 of 2: the image is for family Quentar, this transporter (basic configuration) "
        "takes family Velmora";
    EXPECT_EQ(rig.Dialog().m_strStatus,
              "Flash file fits: the compatibility check of this transporter takes image 2 of 2, "
              "which would be programmed: DISC TRANSPORTER 3.25 A on COM2 <- image 2 of 2, 9000 "
              "bytes, general transporter firmware for DISC TRANSPORTER 3.25 A, family Velmora; "
              "passed over: " +
                  quentarWhy + "; nothing was programmed");
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Succeeded);
    EXPECT_EQ(rig.Dialog().GetFlashPlan().image, 2);
    EXPECT_EQ(rig.t.Sequence(), "!e0C"); // only asked what it is

    const auto none =
        MultiImage({quentar, Image(9000, "KORVIX QT6400   VERSION 3.40 A", "pyrel4")});
    const std::string incompatible =
        "Flash file is incompatible - " + quentarWhy +
        "; image 2 of 2: the image is loader firmware for KORVIX QT6400 3.40 A, family pyrel4, "
        "this transporter is DISC TRANSPORTER";
    rig.t.commands.clear();
    rig.Dialog().OnCheckFlashFile(rig.File(none));
    EXPECT_EQ(rig.Dialog().m_strStatus, incompatible);
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Failed);
    rig.Flash(none, false);
    EXPECT_EQ(rig.Dialog().m_strStatus, incompatible);
    EXPECT_EQ(rig.t.Sequence(), "!e0C");
    EXPECT_EQ(rig.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, -1), marker);
}

TEST(DialogFlash, CancellingTheFileDialogChangesNothing) {
    FlashRig rig;
    rig.Dialog().m_strStatus = "before";
    rig.view.fileToOpen.clear();
    rig.view.SetCheck(IDC_DISABLE_CHECK, true);
    rig.Dialog().OnUpdateFlash();
    EXPECT_EQ(rig.Dialog().m_strStatus, "before");
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Cancelled);
    EXPECT_FALSE(rig.view.GetCheck(IDC_DISABLE_CHECK));
    EXPECT_TRUE(rig.t.commands.empty());
    EXPECT_FALSE(rig.Dialog().IsBusy());
}

// A first record that no device takes: the marker, but no "VERSION" after it.
const auto kRefusedFirstImage = Image(70000, "DISC TRANSPORTER-------", "", 3);

TEST(DialogFlash, EachImageOfAMultiImageFileIsJudgedByItsOwnLength) {
    FlashRig rig;
    // With checking off the first image is taken as it is.
    const auto first = Image(70000, "DISC TRANSPORTERVERSION", "", 3);
    rig.Flash(MultiImage({first, Firmware(5000, 9)}));
    EXPECT_EQ(rig.Programming(), "!g070000C");
    EXPECT_EQ(rig.t.flashData, first);

    // A BIN4 transporter of suffix F takes a "Tessan " image only up to 65536 bytes.
    auto bin4F = [&] {
        auto* v = dynamic_cast<CVelmora*>(rig.Dialog().GetTransporter());
        ASSERT_NE(v, nullptr);
        v->m_bBasicConfig = v->m_bDrive1Config = v->m_bDrive3Config = v->m_bShortStatus = false;
        v->m_bBin4Config = true;
        v->m_nRevisionSuffix = 'F';
    };
    const auto tessan = Image(60000, "DISC TRANSPORTERVERSION", "Tessan ", 5);
    bin4F();
    rig.t.flashData.clear();
    rig.Flash(tessan, false);
    EXPECT_EQ(rig.Programming(), "!g060000C"); // alone
    EXPECT_EQ(rig.Dialog().m_strStatus, "Flash update succeeded - now 3.25 A");

    bin4F();
    rig.t.flashData.clear();
    rig.Flash(MultiImage({kRefusedFirstImage, tessan}), false);
    ASSERT_FALSE(rig.t.commands.empty()) << rig.Dialog().m_strStatus;
    EXPECT_EQ(rig.Programming(), "!g060000C"); // the second record
    EXPECT_EQ(rig.t.flashData, tessan);
    EXPECT_EQ(rig.Dialog().m_strStatus, "Flash update succeeded - now 3.25 A");
}

TEST(DialogFlash, PrinterFirmwareAloneOrInsideAMultiImageFileKeepsTheDevice) {
    FlashRig rig({.revision = "3.25 ",
                  .count = 64,
                  .printerName = "CD-R Inkographer",
                  .printerRevision = "4.50 "});
    // Letter case does not matter here.
    const auto image = Image(65536, "CD-R INKOGRAPHERversion", "Inkographer ");
    CTransporter* device = rig.Dialog().GetTransporter();
    rig.clock.sleeps.clear();
    rig.Flash(image, false);
    EXPECT_EQ(rig.Programming(), "!h0C");
    EXPECT_EQ(rig.t.flashData, image);
    EXPECT_EQ(rig.Dialog().m_strStatus, "Downloading - completed");
    EXPECT_EQ(rig.Dialog().LastOutcome(), CommandOutcome::Succeeded); // the printer restarts alone
    EXPECT_EQ(rig.Dialog().GetTransporter(), device); // no re-probe, only the printer's wait
    EXPECT_EQ(rig.clock.sleeps, (std::vector<uint32_t>{5000, 5000}));

    // The printer's image as the second record, after one no device takes.
    const auto printer = Image(65536, "CD-R InkographerVERSION", "Inkographer ", 11);
    rig.t.flashData.clear();
    rig.Flash(MultiImage({kRefusedFirstImage, printer}), false);
    ASSERT_FALSE(rig.t.commands.empty()) << rig.Dialog().m_strStatus;
    EXPECT_EQ(rig.Programming(), "!h0C");
    EXPECT_EQ(rig.t.flashData, printer);
    EXPECT_EQ(rig.Dialog().m_strStatus, "Downloading - completed");
}

} // namespace
} // namespace dax::flow
