// The programming flow of the main dialog on a fake line that fails part-way through the
// download (CTS drops, a write fails, or writes stop going out whole) at a point the input
// chooses. Properties: the device receives a prefix of exactly the stream it was announced
// (image, and for old firmware the fill and checksum), never a byte more; a complete stream is
// a success; a cut one is a failure that says the device may be in programming mode and is
// remembered for the port.
#include "FlashRig.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "devices/ImageIdentification.h"

#include <algorithm>
#include <cerrno>

using namespace daxfuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const bool oldFirmware = in.Flag();
    const int failAtPump = int(in.Byte() % 24); // 0: no failure
    const uint8_t kind = in.Byte() % 3;
    const size_t capacity = in.Number(5000);
    std::vector<uint8_t> image = in.Rest();
    image.resize(std::min<size_t>(image.size(), 65536)); // one image, no multi-image marker look

    FlashRig rig(oldFirmware ? "2.50 " : "3.25 ");
    int pumps = 0;
    bool injected = false;
    rig.view.onPump = [&] {
        if (failAtPump == 0 || ++pumps != failAtPump)
            return;
        injected = true;
        if (kind == 0)
            rig.t->line->ctsOn = false;
        else if (kind == 1)
            rig.t->line->writeErrno = EIO;
        else
            rig.t->line->writeCapacity = capacity;
    };
    rig.Flash(image, false);
    rig.view.onPump = nullptr;

    // What the device should take: the image, and for old firmware the 65534-byte frame.
    std::vector<uint8_t> stream = image;
    if (oldFirmware && !image.empty() && image.size() <= 65532) {
        stream.resize(65532, 0xFF);
        uint16_t sum = 0;
        for (uint8_t b : stream)
            sum = uint16_t(sum + b);
        stream.push_back(uint8_t(sum >> 8));
        stream.push_back(uint8_t(sum & 0xFF));
    } else if (oldFirmware) {
        stream.clear(); // too large for old firmware, or empty: refused before programming
    }
    const auto& sent = rig.t->flashData;
    const std::string& status = rig.Dialog().m_strStatus;
    FUZZ_CHECK(sent.size() <= stream.size());
    FUZZ_CHECK(std::equal(sent.begin(), sent.end(), stream.begin()));
    const auto commands = rig.ProgrammingCommands();
    FUZZ_CHECK(commands.size() <= 1);
    // The announced size; a line failing before it (at the "Erasing..." pump) may cut it short.
    const std::string announce = "!g0" + std::to_string(oldFirmware ? 65534 : image.size()) + "C";
    if (!commands.empty())
        FUZZ_CHECK(commands[0] == announce || (injected && announce.rfind(commands[0], 0) == 0));
    if (stream.empty()) {
        FUZZ_CHECK(commands.empty() && status.rfind(dax::kFlashSucceeded, 0) != 0);
        return 0;
    }
    const int remembered =
        rig.settings.GetInt(dax::kSectionFirmwareUpdate, dax::kValueUnfinishedPort, 0);
    if (sent.size() == stream.size()) {
        // Whole: a success, unless the line failed after the last byte (the re-probe then says)
        // or the image names a revision the restarted transporter does not run.
        dax::ImageIdentification id;
        const bool named = dax::ReadImageIdentification(image.data(), uint32_t(image.size()), id) &&
                           !id.printerFirmware;
        FUZZ_CHECK(status.rfind(dax::kFlashSucceeded, 0) == 0 || injected ||
                   (named && status.rfind("Flash update did not take - ", 0) == 0));
        if (status.rfind(dax::kFlashSucceeded, 0) == 0)
            FUZZ_CHECK(remembered == 0);
    } else {
        FUZZ_CHECK(injected || commands.empty());
        if (!commands.empty()) {
            FUZZ_CHECK(status.find(dax::kMayBeProgramming) != std::string::npos);
            FUZZ_CHECK(remembered == 2);
        }
    }
    return 0;
}
