#include "FirmwareImage.h"

#include "Bytes.h"

namespace dax::sim {

namespace {

constexpr std::size_t kHeader = 160;
constexpr std::size_t kHeader240x = 2150;
constexpr std::size_t kLength = 30;

bool IsPrintable(char c) {
    return c >= 0x20 && c <= 0x7e;
}

std::optional<SImageIdentification> ReadIdentificationAt(const std::string& image,
                                                         std::size_t offset) {
    if (image.size() < offset + kLength)
        return std::nullopt;
    const std::string id = image.substr(offset, kLength);
    for (std::size_t i = 0; i < 16; ++i) {
        if (!IsPrintable(id[i]))
            return std::nullopt;
    }
    if (id.compare(16, 7, "VERSION") != 0 || !IsDigit(id[24]) || !IsDigit(id[26]) ||
        !IsDigit(id[27]))
        return std::nullopt;
    SImageIdentification result;
    result.name = id.substr(0, 16);
    // The separator is not part of the number; the device shows it as a point.
    result.revision = std::string{id[24], '.', id[26], id[27]};
    if (IsDigit(id[28]))
        result.revision += id[28];
    result.suffix = IsPrintable(id[29]) ? id[29] : ' ';
    return result;
}

} // namespace

std::string SImageIdentification::Text() const {
    std::string field = revision;
    field.resize(5, ' ');
    return name + "VERSION " + field + suffix;
}

std::optional<SImageIdentification> ReadTransporterImageIdentification(const std::string& image) {
    if (auto id = ReadIdentificationAt(image, kHeader))
        return id;
    auto id = ReadIdentificationAt(image, kHeader240x);
    if (id)
        id->family240x = true;
    return id;
}

std::optional<SImageIdentification> ReadPrinterImageIdentification(const std::string& image) {
    return ReadIdentificationAt(image, kHeader);
}

std::optional<SImageIdentification> ReadPrinterFileIdentification(const std::string& image) {
    return ReadIdentificationAt(image, 0);
}

} // namespace dax::sim
