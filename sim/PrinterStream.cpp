#include "PrinterStream.h"

#include "Bytes.h"
#include "FlashReceiver.h"

#include <algorithm>
#include <string_view>

namespace dax::sim {

CPrinterStream::SItem CPrinterStream::TakeOther(std::size_t from) {
    const std::size_t end = m_strPending.find(kEsc, from);
    SItem item;
    item.other = m_strPending.substr(0, end);
    m_strPending.erase(0, end);
    return item;
}

std::optional<CPrinterStream::SItem> CPrinterStream::FirmwareCommand(bool& partial) {
    static constexpr std::string_view kLead = "\x1b!g0";
    constexpr std::size_t kMaxDigits = 7;
    partial = false;
    const std::size_t lead = std::min(kLead.size(), m_strPending.size());
    if (m_strPending.compare(0, lead, kLead.substr(0, lead)) != 0)
        return std::nullopt;
    if (m_strPending.size() < kLead.size()) {
        partial = true;
        return std::nullopt;
    }
    std::size_t size = 0;
    std::size_t i = kLead.size();
    for (; i < m_strPending.size() && i - kLead.size() <= kMaxDigits; ++i) {
        const char c = m_strPending[i];
        if (c < '0' || c > '9')
            break;
        size = size * 10 + static_cast<std::size_t>(c - '0');
    }
    if (i == m_strPending.size()) {
        partial = i - kLead.size() <= kMaxDigits;
        return std::nullopt;
    }
    if (i == kLead.size() || i - kLead.size() > kMaxDigits || m_strPending[i] != 'C' || size == 0 ||
        size > CFlashReceiver::kMaxImage)
        return std::nullopt;
    SItem item;
    item.isCommand = true;
    item.command.raw = m_strPending.substr(0, i + 1);
    item.command.name = m_strPending.substr(1, i);
    item.firmwareBytes = size;
    m_strPending.erase(0, i + 1);
    return item;
}

std::optional<CPrinterStream::SItem> CPrinterStream::Next() {
    if (m_strPending.empty())
        return std::nullopt;
    if (m_strPending[0] != kEsc)
        return TakeOther(0);
    if (m_bFirmware) {
        bool partial = false;
        if (auto item = FirmwareCommand(partial))
            return item;
        if (partial)
            return std::nullopt;
    }
    SPrintMatch m = MatchPrintCommand(m_strPending);
    if (m.result == EPrintMatch::Partial)
        return std::nullopt;
    if (m.result == EPrintMatch::None)
        return TakeOther(1);
    SItem item;
    item.isCommand = true;
    item.command = std::move(m.command);
    m_strPending.erase(0, item.command.raw.size());
    return item;
}

} // namespace dax::sim
