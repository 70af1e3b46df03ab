// The answer parsers over arbitrary bytes: each reads only the length it is given (the input is
// copied into a buffer of exactly that size, so ASan sees any byte beyond) and what it reports
// is what the bytes say.
#include "FuzzCheck.h"
#include "devices/Answers.h"
#include "devices/Commands.h"

#include <cstring>
#include <memory>

using namespace dax;

namespace {

bool IsDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

int Digits(const uint8_t* p, size_t n) {
    int v = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!IsDigit(p[i]))
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint32_t n = uint32_t(size);
    std::unique_ptr<uint8_t[]> owned(new uint8_t[size ? size : 1]);
    std::memcpy(owned.get(), data, size);
    const uint8_t* a = size ? owned.get() : nullptr;

    FUZZ_CHECK(IsAcknowledged(a, n) == (n >= kAckLength && a[4] == '1'));
    FUZZ_CHECK(IsBaudAccepted(a, n) ==
               (n >= kBaudAnswerLength && std::memcmp(a, "\x1B!b1C", 5) == 0));

    SenseCodes codes{77, 77};
    if (ParseSense(a, n, codes)) {
        FUZZ_CHECK(n >= kSenseLength);
        FUZZ_CHECK(codes.transporter == Digits(a + 4, 3) && codes.printer == Digits(a + 7, 3));
    } else {
        FUZZ_CHECK(codes.transporter == 77 && codes.printer == 77); // untouched
        FUZZ_CHECK(n < kSenseLength || Digits(a + 4, 3) < 0 || Digits(a + 7, 3) < 0);
    }
    if (ParseBootSense(a, n, codes))
        FUZZ_CHECK(codes.transporter == a[4] - '0' && codes.printer == 0);

    ElementStatus status;
    if (ParseElementStatus(a, n, status)) {
        FUZZ_CHECK(status.valid == (a[4] == '1'));
        FUZZ_CHECK(status.state == (IsDigit(a[5]) ? a[5] - '0' : -1));
        FUZZ_CHECK(status.value == Digits(a + 6, 5));
        FUZZ_CHECK(!status.valid || (status.state >= 0 && status.value >= 0));
    } else {
        FUZZ_CHECK(n < kElementStatusLength || a[4] == '1');
    }

    StoredText stored;
    if (ParseStoredText(a, n, stored)) {
        FUZZ_CHECK(stored.valid == (a[4] == '1'));
        FUZZ_CHECK(stored.valid
                       ? stored.text == std::string(reinterpret_cast<const char*>(a + 6), 8)
                       : stored.text.empty());
    } else {
        FUZZ_CHECK(n < kStoredTextLength);
    }

    // The counter: only a well-echoed answer gives a number, and never out of int range.
    const std::string command = Command(kCmdCounter, '1');
    const int counter = ParseCounter(command, a, n);
    if (counter != -1)
        FUZZ_CHECK(n >= kCounterMatchLength &&
                   std::memcmp(a, command.data(), kCounterMatchLength) == 0);

    uint32_t count = 12345;
    if (ParseInquiryHead(a, n, count)) {
        FUZZ_CHECK(count <= 999);
        FUZZ_CHECK(IsDigit(a[4]));
    }

    int revision = -7;
    if (ParseRevision(a, n, revision)) {
        FUZZ_CHECK(revision >= 0 && revision <= 9999);
        FUZZ_CHECK(revision / 10 == (a[0] - '0') * 100 + (a[2] - '0') * 10 + (a[3] - '0'));
    } else {
        FUZZ_CHECK(revision == -7);
    }

    // The identification view over the same bytes with a count from the input: it never reads
    // past the buffer or past the announced count.
    const uint32_t announced = n ? a[0] * 4u : 0;
    const Identification id(a, size, announced);
    FUZZ_CHECK(id.Present() <= announced);
    FUZZ_CHECK(id.Present() + Identification::kHeadLength <= size || id.Present() == 0);
    const std::string name = id.ProductName();
    FUZZ_CHECK(name.size() <= Identification::kProductNameLength && name.size() <= id.Present());
    FUZZ_CHECK(id.TransporterId().size() == 32 && id.PrinterId().size() == 32);
    int r = 0;
    id.TransporterRevision(r);
    id.PrinterRevision(r);
    id.At(size_t(announced) + 1000);
    return 0;
}
