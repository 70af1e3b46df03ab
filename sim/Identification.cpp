#include "Identification.h"

namespace dax::sim {

namespace {

void Put(std::string& out, std::size_t at, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width && i < text.size(); ++i)
        out[at + i] = text[i];
}

// "3.07" and suffix 'A' give "3.07 A"; "3.209" gives "3.209A".
std::string RevisionField(const std::string& revision, char suffix) {
    std::string field = revision;
    field.resize(5, ' ');
    field += suffix;
    return field;
}

} // namespace

std::string BuildIdentification(const SDeviceConfig& c) {
    std::string id(96, ' ');
    Put(id, 0, c.name, 16);
    Put(id, 16, "VERSION", 7);
    Put(id, 24, RevisionField(c.revision, c.suffix), 6);
    if (c.printer != EPrinter::None) {
        Put(id, 32, c.printerName, 16);
        Put(id, 48, c.printerModel, 6);
        Put(id, 56, RevisionField(c.printerRevision, c.printerSuffix), 6);
    }
    // The dual-printer transporter's second printer follows in the same layout.
    if (c.halcyra && c.hal.printers == 2) {
        Put(id, 64, c.printerName, 16);
        Put(id, 80, c.printerModel, 6);
        Put(id, 88, RevisionField(c.hal.printerBRevision, c.printerSuffix), 6);
    }
    id.resize(static_cast<std::size_t>(IdentificationCount(c)), ' ');
    return id;
}

} // namespace dax::sim
