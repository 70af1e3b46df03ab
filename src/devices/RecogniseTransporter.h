#pragma once

#include "devices/CTransporter.h"
#include "devices/PrinterAccess.h"

#include <cstdint>
#include <memory>

namespace dax {

class CTransporterPort;

// Offers an inquiry answer to the recognisers of the device classes in their fixed order and
// makes the device of the first that accepts it, on the given port (which it borrows), with
// the printer devices it may match its printer to.
// `answer` holds the whole answer from its first header byte and at least 103 bytes; `count` is
// the identification length as received. Null when no class knows the answer.
std::unique_ptr<CTransporter> RecogniseTransporter(const uint8_t* answer, uint32_t count,
                                                   CTransporterPort* port, Clock& clock,
                                                   Interaction& interaction,
                                                   const PrinterAccess& printers = {});

} // namespace dax
