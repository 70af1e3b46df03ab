#include "PrinterStream.h"

namespace dax::sim {

namespace {
constexpr char kEsc = 0x1b;
}

CPrinterStream::SItem CPrinterStream::TakeOther(std::size_t from) {
    const std::size_t end = m_strPending.find(kEsc, from);
    SItem item;
    item.other = m_strPending.substr(0, end);
    m_strPending.erase(0, end);
    return item;
}

std::optional<CPrinterStream::SItem> CPrinterStream::Next() {
    if (m_strPending.empty())
        return std::nullopt;
    if (m_strPending[0] != kEsc)
        return TakeOther(0);
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
