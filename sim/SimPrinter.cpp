#include "SimPrinter.h"

#include <cerrno>
#include <cstring>

namespace dax::sim {

CSimPrinter::~CSimPrinter() {
    if (m_pCapture)
        std::fclose(m_pCapture);
}

bool CSimPrinter::OpenCapture(const std::string& path, std::string& error) {
    m_pCapture = std::fopen(path.c_str(), "wb");
    if (!m_pCapture) {
        error = "cannot write the print capture " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

CJsonLine CSimPrinter::Line() const {
    CJsonLine line;
    if (!m_strTag.empty())
        line.Add("printer", m_strTag);
    return line;
}

void CSimPrinter::Capture(const std::string& source, const std::string& bytes) {
    if (bytes.empty())
        return;
    if (source != m_strChunkSource)
        EndChunk();
    m_strChunkSource = source;
    m_nChunkBytes += static_cast<long long>(bytes.size());
    if (std::FILE* f = m_pCapture ? m_pCapture : m_pSharedCapture) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fflush(f);
    }
}

void CSimPrinter::EndChunk() {
    if (m_nChunkBytes > 0)
        m_log.Write("print", Line().Add("source", m_strChunkSource).Add("size", m_nChunkBytes));
    m_nChunkBytes = 0;
}

void CSimPrinter::Take(const std::string& source, std::size_t count) {
    m_job.open = true;
    m_job.bytes += static_cast<long long>(count);
    m_job.bytesBySource[source] += static_cast<long long>(count);
}

void CSimPrinter::Command(const std::string& source, const SPrintCommand& c) {
    switch (c.kind) {
    case EPrintCommand::Drawer:
    case EPrintCommand::Pass:
    case EPrintCommand::Setup:
    case EPrintCommand::TestBytes:
        m_log.Write("print", Line().Add("source", source).Add("cmd", c.name));
        break;
    default:
        break;
    }
    switch (c.kind) {
    case EPrintCommand::Drawer:
        // Not part of a job: it opens the drawer on the printed disc, or serves the host's
        // search for the printer that belongs to this transporter.
        if (c.number == 0 || c.number == 1)
            m_device.SetPrinterDrawer(c.number == 0, Index());
        if (c.number == 0 && m_job.hasData)
            EndJob("drawer");
        return;
    case EPrintCommand::Pass:
        // Pass 3 outside a print is the printer's self-check; inside one it selects the pass.
        if (c.number == 3 && !m_job.hasData) {
            m_device.PrinterSelfCheck(Index());
            return;
        }
        ++m_job.passes;
        break;
    case EPrintCommand::Method:
        m_page.SetMethod(c.number);
        break;
    case EPrintCommand::RowMove:
        m_page.MoveTo(c.number);
        break;
    case EPrintCommand::Row:
        m_page.Row(c.data);
        m_job.hasData = true;
        break;
    case EPrintCommand::Setup:
    case EPrintCommand::TestBytes:
        break;
    }
    Take(source, c.raw.size());
}

void CSimPrinter::Other(const std::string& source, const std::string& bytes) {
    Take(source, bytes.size());
    m_job.otherBytes += static_cast<long long>(bytes.size());
    m_job.hasData = true;
}

void CSimPrinter::StatusPolled() {
    if (m_job.hasData)
        EndJob("status poll");
}

void CSimPrinter::EndJob(const char* why) {
    EndChunk();
    m_device.PrintFinished(Index());
    const int number = ++m_nJobs;
    CJsonLine line;
    line.Add("event", "print_job");
    if (!m_strTag.empty())
        line.Add("printer", m_strTag);
    line.Add("job", number)
        .Add("ended_by", why)
        .Add("rows", m_page.RowsReceived())
        .Add("decoded_rows", m_page.DecodedRows())
        .Add("bad_rows", m_page.BadRows())
        .Add("first_row", static_cast<long long>(m_page.FirstRow()))
        .Add("last_row", static_cast<long long>(m_page.LastRow()))
        .Add("bytes", m_job.bytes);
    for (const auto& [source, count] : m_job.bytesBySource)
        line.Add("bytes_" + source, count);
    line.Add("other_bytes", m_job.otherBytes)
        .Add("passes", m_job.passes)
        .Add("print_count", static_cast<long long>(m_device.PrintCount(Index())));
    if (!m_strPbmDir.empty() && m_page.RowsReceived() > 0) {
        const std::string tag = m_strTag.empty() ? "" : m_strTag + "-";
        const std::string path = m_strPbmDir + "/job-" + tag + std::to_string(number) + ".pbm";
        std::string error;
        if (m_page.WritePbm(path, error))
            line.Add("pbm", path);
        else
            line.Add("pbm_error", error);
    }
    m_log.Write("event", line);
    m_job = SJob();
    m_page.Clear();
}

} // namespace dax::sim
