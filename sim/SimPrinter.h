#pragma once

#include "JsonLog.h"
#include "PrintGrammar.h"
#include "RasterPage.h"
#include "SimTransporter.h"

#include <cstdio>
#include <map>
#include <string>

namespace dax::sim {

// The printer behind the transporter, fed from every port that reaches it: the serial link (the
// transporter passes printer commands on), the USB port and the parallel ports. It captures the
// raw print bytes, decodes raster rows onto a page per job, and tells the transporter when a job
// is done, so that the print is counted and the host's wait for the end of the print sees it.
//
// A job opens with the first printer byte that is not a drawer command and ends, once it has
// rows or other data, at ESC "!d0C" (the drawer opens on the printed disc) or at the first
// status poll of the host's end-of-print wait.
class CSimPrinter {
public:
    // tag: "a" or "b" for a printer of the dual-printer transporter, which names it in the log
    // lines; empty for the only printer of the others.
    CSimPrinter(CSimTransporter& device, CJsonLog& log, std::string tag = "")
        : m_device(device), m_log(log), m_strTag(std::move(tag)) {}
    ~CSimPrinter();
    CSimPrinter(const CSimPrinter&) = delete;
    CSimPrinter& operator=(const CSimPrinter&) = delete;

    bool OpenCapture(const std::string& path, std::string& error);
    // Writes into the capture file of another printer (which outlives this one): one file
    // holds the bytes of every port in arrival order.
    void ShareCapture(const CSimPrinter& owner) { m_pSharedCapture = owner.m_pCapture; }
    void SetPbmDirectory(const std::string& dir) { m_strPbmDir = dir; }

    // Raw print bytes as they arrive: into the capture file, counted for the next chunk line.
    void Capture(const std::string& source, const std::string& bytes);
    // The log line of the bytes captured since the last one.
    void EndChunk();

    void Command(const std::string& source, const SPrintCommand& command);
    // Bytes that are no printer command: data in the printer's own format.
    void Other(const std::string& source, const std::string& bytes);
    // The host polls the status: a job with data has been sent in full.
    void StatusPolled();

private:
    struct SJob {
        bool open = false;
        bool hasData = false;
        long long bytes = 0;
        long long otherBytes = 0;
        int passes = 0;
        std::map<std::string, long long> bytesBySource;
    };

    void Take(const std::string& source, std::size_t count);
    void EndJob(const char* why);
    int Index() const { return m_strTag == "b" ? 1 : 0; }
    CJsonLine Line() const;

    CSimTransporter& m_device;
    CJsonLog& m_log;
    std::string m_strTag;
    std::FILE* m_pCapture = nullptr;
    std::FILE* m_pSharedCapture = nullptr;
    std::string m_strPbmDir;
    std::string m_strChunkSource;
    long long m_nChunkBytes = 0;
    int m_nJobs = 0;
    SJob m_job;
    CRasterPage m_page;
};

} // namespace dax::sim
