#include "devices/CVelmora.h"
#include "devices/ElementMap.h"
#include "patterns/BuiltInPatterns.h"
#include "platform/Format.h"
#include "platform/LocalFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace dax {

uint32_t CVelmora::GetPattern(int pattern, const uint8_t** data) {
    if (data == nullptr) {
        return 0;
    }
    *data = nullptr;
    if (m_bMorranePrinter) {
        if (pattern == kPatternCalibrationGrid) {
            m_strError = kGridNotOnMorrane;
            return 0;
        }
        return pattern == kPatternOffsetMarks ? LoadAlignmentFile(data) : 0;
    }
    const std::span<const uint8_t> builtIn = BuiltInPattern(pattern);
    *data = builtIn.data();
    return static_cast<uint32_t>(builtIn.size());
}

void CVelmora::ReleasePattern() {
    m_patternBuffer = {};
}

// Morrane printers take their offset marks from a file supplied with the printer: the family
// (DKPR22, DKPR21, the others) and element 270's last digit (0 or 1 colour, 2 monochrome) name it.
uint32_t CVelmora::LoadAlignmentFile(const uint8_t** data) {
    int state = 0;
    int value = 0;
    if (!ReadElementStatus(kElementPocket, state, &value)) {
        return 0;
    }
    const char* colour = nullptr;
    switch (value % 10) {
    case 0:
    case 1:
        colour = "CMY";
        break;
    case 2:
        colour = "MONO";
        break;
    default:
        m_strError = Format("No alignment file for printer setting %d", value);
        return 0;
    }
    const char* family = m_bMorraneDKPR22 ? "Mo3" : m_bMorraneDKPR21 ? "Mo2" : "Mo";
    const std::string name = Format("%sAlign%s.prn", family, colour);
    const std::string path = FindAlignmentFile(name);
    if (path.empty())
        return 0;

    std::vector<uint8_t> buffer;
    std::string why;
    if (!ReadRegularFile(path, kMaxAlignmentFileBytes, buffer, why)) {
        m_strError = why;
        return 0;
    }
    if (buffer.empty()) {
        m_strError = Format("Unable to read %s - the file is empty", path.c_str());
        return 0;
    }
    m_patternBuffer = std::move(buffer);
    *data = m_patternBuffer.data();
    return static_cast<uint32_t>(m_patternBuffer.size());
}

// The first of the data directories that has the file; none sets the error text, naming where
// it was looked for.
std::string CVelmora::FindAlignmentFile(const std::string& name) {
    std::string places;
    for (const std::string& dir : m_printers.dataDirectories) {
        struct stat st;
        if (::stat((dir + name).c_str(), &st) == 0)
            return dir + name;
        places += (places.empty() ? "" : ", ") + dir;
    }
    m_strError = places.empty() ? "Unable to find " + name + ": the program's directory is unknown"
                                : "Unable to find " + name + " in " + places;
    return {};
}

} // namespace dax
