#include "devices/RecogniseTransporter.h"

#include "devices/CHalcyra.h"
#include "devices/CInkographer.h"
#include "devices/CVelmora.h"
#include "devices/ProductRecognition.h"

namespace dax {

namespace {

struct DeviceSetting {
    CTransporterPort* port;
    Clock& clock;
    Interaction& interaction;
    const PrinterAccess& printers;
};

// One device family: its recogniser (which keeps the accepted answer where the family's
// constructor reads it) and how the device is made.
struct Recogniser {
    bool (*accepts)(const uint8_t* answer, uint32_t count);
    std::unique_ptr<CTransporter> (*make)(const DeviceSetting& s);
};

// Asked in this order; the first family that accepts the answer wins.
constexpr Recogniser kRecognisers[] = {
    {IsKnownTransporter,
     [](const DeviceSetting& s) -> std::unique_ptr<CTransporter> {
         return std::make_unique<CVelmora>(s.port, s.clock, s.interaction, s.printers);
     }},
    {IsHalcyraInquiry,
     [](const DeviceSetting& s) -> std::unique_ptr<CTransporter> {
         return std::make_unique<CHalcyra>(s.port, s.clock, s.interaction, s.printers);
     }},
    {IsInkographerInquiry,
     [](const DeviceSetting& s) -> std::unique_ptr<CTransporter> {
         return std::make_unique<CInkographer>(s.port, s.clock, s.interaction);
     }},
};

} // namespace

std::unique_ptr<CTransporter> RecogniseTransporter(const uint8_t* answer, uint32_t count,
                                                   CTransporterPort* port, Clock& clock,
                                                   Interaction& interaction,
                                                   const PrinterAccess& printers) {
    const DeviceSetting setting{port, clock, interaction, printers};
    for (const Recogniser& recogniser : kRecognisers) {
        if (recogniser.accepts(answer, count))
            return recogniser.make(setting);
    }
    return nullptr;
}

} // namespace dax
