#include "devices/RecogniseTransporter.h"

#include "devices/CVelmora.h"
#include "devices/ProductRecognition.h"

namespace dax {

std::unique_ptr<CTransporter> RecogniseTransporter(const uint8_t* answer, uint32_t count,
                                                   CTransporterPort* port, Clock& clock,
                                                   Interaction& interaction,
                                                   const PrinterAccess& printers) {
    if (IsKnownTransporter(answer, count))
        return std::make_unique<CVelmora>(port, clock, interaction, printers);
    return nullptr;
}

} // namespace dax
