// Recognition, device construction and Initialize (then the serial page's reads) over an
// inquiry answer and device answers taken from the input. Properties: only known products are
// recognised; the program only ever writes commands (ESC "!" and printable ASCII); no read waits
// without a bound; what it read stays within its forms.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "ScrambledLine.h"
#include "devices/Commands.h"
#include "devices/ProductRecognition.h"
#include "devices/RecogniseTransporter.h"

#include <cstring>

using namespace dax;
using namespace daxfuzz;

namespace {

// Every write of the program is one command: ESC "!" and printable text.
void CheckOnlyCommandsWritten(const FakeSerialLine& line) {
    size_t at = 0;
    for (const size_t n : line.writeCalls) {
        FUZZ_CHECK(at + n <= line.written.size());
        FUZZ_CHECK(n >= 2 && line.written[at] == 0x1B && line.written[at + 1] == '!');
        const std::string text(line.written.begin() + long(at) + 1,
                               line.written.begin() + long(at + n));
        FUZZ_CHECK(IsWireText(text));
        at += n;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    // Discovery's receive buffer: 103 bytes, zero-filled, as many bytes as came.
    uint8_t answer[103] = {};
    const std::vector<uint8_t> inquiry = in.Bytes(in.Byte() % 104);
    if (!inquiry.empty())
        std::memcpy(answer, inquiry.data(), inquiry.size());
    const uint32_t count = in.Number(1000);

    FakeClock clock;
    auto line = std::make_shared<FakeSerialLine>(clock);
    ScrambledLine scrambled(line, in);
    auto& scripted = scrambled.Device();
    scripted.stored = {{0, "TS100001"}, {260, "PS200001"}, {99, "11030000"}, {100, "LOADER 1"}};
    for (int element : {203, 240, 241, 243, 280, 300})
        scripted.elementStates[element] = in.Byte() % 3;
    scripted.transporterSense = in.Byte() % 20;
    scripted.printerSense = in.Byte() % 16;

    CTransporterPort port(std::make_unique<FakeSerialDevice>(line), clock, "\\\\.\\COM1", 38400);
    NoInteraction ui;
    std::unique_ptr<CTransporter> device = RecogniseTransporter(answer, count, &port, clock, ui);
    if (!device) {
        FUZZ_CHECK(line->written.empty());
        return 0;
    }
    // A known transporter product, the dual-printer transporter, or the stand-alone printer's
    // own identification.
    bool known = IsInkographerInquiry(answer, count) || IsHalcyraInquiry(answer, count);
    for (const KnownProduct& p : KnownTransporterProducts())
        known |= std::memcmp(answer + 7, p.name.data(), p.compareLength) == 0;
    FUZZ_CHECK(known);

    const uint64_t start = clock.nowMs();
    device->Initialize();
    std::string transporter, printer, name;
    device->GetSerialNumbers(transporter, printer);
    bool a = false, b = false, c = false;
    int beeps = -1;
    const bool params = device->GetVaultekParams(name, a, b, c, beeps);
    device->GetPrinterCounter(0, 1);

    FUZZ_CHECK(transporter.size() <= 8 && printer.size() <= 8 && name.size() <= 16);
    // A device without loader parameters (the stand-alone printer) leaves the beeps untouched.
    FUZZ_CHECK((beeps >= 0 && beeps <= 9) || (!params && beeps == -1));
    FUZZ_CHECK(device->m_nTransporterRevision >= 0 && device->m_nTransporterRevision <= 9999);
    FUZZ_CHECK(device->m_nPrinters >= 0 && device->m_nPrinters <= 2);
    CheckOnlyCommandsWritten(*line);
    FUZZ_CHECK(line->endlessReads == 0);
    // The longest start-up is the printer's alignment poll: 240 polls of at most 33.5 s.
    FUZZ_CHECK(clock.nowMs() - start < 3ull * 3600 * 1000);
    return 0;
}
