#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dax::sim {

enum class EFlashTarget { Transporter, Printer };

// The programming state: after a programming command was accepted, exactly the announced number
// of raw bytes is firmware data. The whole image is kept: it is checked when complete, and a good
// one gives the device its new identification.
class CFlashReceiver {
public:
    static constexpr std::size_t kMaxImage = 4 * 1024 * 1024;
    static constexpr std::size_t kPrinterImage = 65536;
    // Firmware before 3.00 takes a fixed frame: 65532 bytes of image and fill, then their 16-bit
    // byte sum, high byte first.
    static constexpr std::size_t kChecksummedImage = 65534;

    // checksummed: the device runs firmware that takes the fixed checksummed frame.
    void Begin(EFlashTarget target, std::size_t expected, bool checksummed);

    // Takes what belongs to the image from data; returns how many bytes it took.
    // Bytes that came at a rate other than the device's are counted as damaged.
    std::size_t Feed(const std::string& data, bool rightRate);

    bool Complete() const { return m_image.size() == m_nExpected; }
    std::size_t Received() const { return m_image.size(); }
    std::size_t Expected() const { return m_nExpected; }
    EFlashTarget Target() const { return m_target; }
    bool Checksummed() const { return m_bChecksummed; }
    const std::string& Image() const { return m_image; }

    // 16-bit sum of every byte received, as the host keeps it over the data it sends.
    std::uint16_t Checksum() const { return m_nChecksum; }

    // Whether the device would program this image; the reason when it would not.
    bool Judge(std::string& reason) const;

private:
    EFlashTarget m_target = EFlashTarget::Transporter;
    bool m_bChecksummed = false;
    std::size_t m_nExpected = 0;
    std::size_t m_nDamaged = 0;
    std::uint16_t m_nChecksum = 0;
    std::string m_image;
};

} // namespace dax::sim
