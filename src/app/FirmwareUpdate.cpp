#include "app/BusyScope.h"
#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "app/FlashFile.h"
#include "app/FlashLayout.h"
#include "devices/Answers.h"
#include "devices/FlashImageDescription.h"
#include "devices/ImageIdentification.h"
#include "devices/SenseText.h"
#include "platform/Format.h"

#include <algorithm>

namespace dax {

namespace {

constexpr uint32_t kFlashBlock = 4096;
constexpr uint32_t kOldFirmwareTotal = 65534;
constexpr uint32_t kOldFirmwareFillPercentBase = 65536;
constexpr uint32_t kDownloadReadTimeoutMs = 30000;
constexpr uint32_t kAfterDownloadWaitMs = 5000;
constexpr uint32_t kPrinterFirmwareWaitMs = 5000;
// A restarted transporter that reports Not Ready is asked again, this often, this long apart.
constexpr int kNotReadyPolls = 30;
constexpr uint32_t kNotReadyPollMs = 1000;
constexpr char kSendFailed[] = "Error sending flash data";

// The front end holds its interrupts back for as long as the transporter may take every byte as
// image data: ending the program then would leave it half-programmed without a word.
class ProgrammingUnderway {
public:
    explicit ProgrammingUnderway(DialogView& view) : m_view(view) {
        m_view.SetProgrammingUnderway(true);
    }
    ~ProgrammingUnderway() { m_view.SetProgrammingUnderway(false); }
    ProgrammingUnderway(const ProgrammingUnderway&) = delete;
    ProgrammingUnderway& operator=(const ProgrammingUnderway&) = delete;

private:
    DialogView& m_view;
};

} // namespace

void CDaxtoolDlg::OnUpdateFlash() {
    const bool checkingDisabled = m_view.GetCheck(IDC_DISABLE_CHECK);
    if (!CanRunCommand()) {
        ClearDisableCheck();
        return;
    }
    BusyScope busy(*this, false);
    m_flashPlan = {};
    std::string path;
    if (!m_view.OpenFileDialog(kFlashDialogTitle, kFlashFilterName, kFlashFilterPattern, path)) {
        m_outcome = CommandOutcome::Cancelled;
        ClearDisableCheck();
        return;
    }
    if (!m_pPort) {
        SetStatus("No transporter available");
    } else {
        m_view.SetWaitCursor(true);
        FlashFile file;
        std::vector<uint8_t> image;
        bool flashed = false;
        if (ChooseFlashImage(file, path, checkingDisabled, image)) {
            file.Close();
            // What goes where, said before a byte of it is sent.
            SetStatus(m_flashPlan.text);
            UpdateData(false);
            if (!checkingDisabled)
                m_view.AnnounceFlash(m_flashPlan.text);
            flashed = ProgramFlashImage(image);
        }
        // The re-probe has recorded its own outcome; the update's is the one that holds.
        if (m_outcome != CommandOutcome::Cancelled)
            m_outcome = flashed ? CommandOutcome::Succeeded : CommandOutcome::Failed;
    }
    m_view.ShowProgress(-1);
    UpdateData(false);
    m_view.SetWaitCursor(false);
    ClearDisableCheck();
}

void CDaxtoolDlg::OnCheckFlashFile(const std::string& path) {
    if (!CanRunCommand() || !m_pPort)
        return;
    BusyScope busy(*this);
    m_flashPlan = {};
    FlashFile file;
    std::vector<uint8_t> image;
    if (ChooseFlashImage(file, path, false, image)) {
        std::string status =
            Format("Flash file fits: the compatibility check of this transporter "
                   "takes image %d of %d, which would be programmed: %s",
                   m_flashPlan.image, m_flashPlan.images, m_flashPlan.text.c_str());
        if (!m_flashPlan.passedOver.empty())
            status += "; passed over: " + m_flashPlan.passedOver;
        SetSucceeded(status + "; nothing was programmed");
    }
    UpdateData(false);
    ClearDisableCheck();
}

void CDaxtoolDlg::PlanFlash(const FlashImagePlace& place, size_t index, size_t count) {
    const CTransporter& t = *m_pTransporter;
    auto product = [](std::string id) {
        id.erase(0, id.find_first_not_of(' '));
        id = id.substr(0, Identification::kProductNameLength);
        id.erase(id.find_last_not_of(' ') + 1);
        return id;
    };
    std::string target = product(t.m_strTransporterId) + " " +
                         RevisionText(t.m_nTransporterRevision, t.m_nRevisionSuffix);
    if (t.m_bPrinterFirmwareFile)
        target = "the printer " + product(t.m_strPrinterId) + " " +
                 RevisionText(t.m_nPrinterRevision, 0) + " of " + target;
    const std::string port =
        m_strPortPath.size() > 4 ? m_strPortPath.substr(4) : m_strPortPath; // without "\\.\"
    const FlashImageDescription d = DescribeFlashImage(
        place.header.data(), std::min<uint32_t>(place.size, FlashFile::kHeaderBlock));
    m_flashPlan.image = int(index + 1);
    m_flashPlan.images = int(count);
    m_flashPlan.bytes = place.size;
    m_flashPlan.text =
        Format("%s on %s <- image %zu of %zu, %u bytes, %s", target.c_str(), port.c_str(),
               index + 1, count, place.size, FlashImageSummary(d).c_str());
}

bool CDaxtoolDlg::ChooseFlashImage(FlashFile& file, const std::string& path, bool checkingDisabled,
                                   std::vector<uint8_t>& image) {
    std::vector<FlashImagePlace> images;
    std::string damage;
    const bool whole = ListFlashImages(file, path, images, damage);
    if (images.empty()) {
        SetStatus(damage);
        return false;
    }
    const size_t count = images.size();
    auto name = [count](size_t i) { return Format("image %zu of %zu", i + 1, count); };
    CTransporter& t = *m_pTransporter;
    size_t chosen = 0;
    if (checkingDisabled) {
        // The check box lets an image cross printer families, never load bytes that are no
        // firmware of any product: such a file is refused before anything is sent.
        const FlashImagePlace& first = images.front();
        if (!DescribeFlashImage(first.header.data(),
                                std::min<uint32_t>(first.size, FlashFile::kHeaderBlock))
                 .known) {
            SetStatus("Flash file is incompatible - " + name(0) +
                      " carries no identification of a product this program knows, so it is "
                      "refused even with the compatibility check disabled; nothing was "
                      "programmed");
            return false;
        }
        t.m_bPrinterFirmwareFile = false;
        PlanFlash(first, 0, count);
        if (!FitsOldFirmware(first.size))
            return false;
        const std::string question =
            "The compatibility check is disabled: whether this image is for this transporter "
            "(its identification, firmware family, printer and size) is not checked.\n\n" +
            m_flashPlan.text +
            "\n\nAn image for another transporter can leave it unusable. Program it?";
        if (!m_view.ConfirmUncheckedFlash(question)) {
            SetStatus("Flash update cancelled: nothing was programmed");
            m_outcome = CommandOutcome::Cancelled;
            return false;
        }
        // The check and the programming are for the transporter on the line now, which must be
        // the one the device object describes.
        return SameTransporterOnLine() && ReadFlashImage(file, path, first, image);
    }
    if (!SameTransporterOnLine())
        return false;
    // Each image is judged by its own length: the file's would hide every small-image rule
    // inside a multi-image file.
    std::string refusals;
    for (; chosen < count; ++chosen) {
        const FlashImagePlace& place = images[chosen];
        if (t.CheckFlashFile(place.header.data(), place.size))
            break;
        const std::string why = t.m_strFlashMismatch.empty() ? std::string("not for this device")
                                                             : t.m_strFlashMismatch;
        refusals += (refusals.empty() ? "" : "; ") + (count > 1 ? name(chosen) + ": " : "") + why;
    }
    if (chosen == count) {
        // A damaged record ends the search: what lies past it cannot be judged.
        SetStatus(whole ? "Flash file is incompatible - " + refusals : damage);
        return false;
    }
    PlanFlash(images[chosen], chosen, count);
    m_flashPlan.passedOver = refusals;
    return FitsOldFirmware(images[chosen].size) &&
           ReadFlashImage(file, path, images[chosen], image);
}

bool CDaxtoolDlg::FitsOldFirmware(uint32_t size) {
    if (!m_pTransporter->m_bOldFirmware || size <= kOldFirmwareImageLimit)
        return true;
    // The transporter is told 65534 bytes; more would reach it as commands.
    SetStatus(Format("Flash image of %u bytes is too large for this transporter's firmware "
                     "(at most %u)",
                     size, kOldFirmwareImageLimit));
    return false;
}

bool CDaxtoolDlg::ReadFlashImage(FlashFile& file, const std::string& path,
                                 const FlashImagePlace& place, std::vector<uint8_t>& image) {
    // The whole image is in memory before programming begins: a file that cannot be read must
    // never leave the device half-programmed.
    image.resize(place.size);
    uint32_t got = 0;
    if (!file.ReadAt(place.offset, image.data(), place.size, got) || got != place.size) {
        SetStatus(Format("Error reading file %s", path.c_str()));
        return false;
    }
    return true;
}

bool CDaxtoolDlg::ProgramFlashImage(const std::vector<uint8_t>& image) {
    CTransporter& t = *m_pTransporter;
    const uint32_t size = uint32_t(image.size());
    SetStatus("Erasing...");
    UpdateData(false);
    m_view.SetWaitCursor(true); // shown again: the download and the restart wait are long
    m_view.PumpMessages();
    const uint32_t total = t.m_bOldFirmware ? kOldFirmwareTotal : size;
    if (!StepDownTo38400())
        return false;
    // From here the transporter may be in programming mode, taking every byte as image data;
    // until it is found again the settings say so, for this run and the next.
    const ProgrammingUnderway underway(m_view);
    RememberUnfinishedUpdate(m_nPort);
    if (!t.BeginFlash(size)) {
        const std::string why =
            Format("Failed to send Update Flash command - %s", t.GetErrorText().c_str());
        if (t.m_bProgrammingStateUnknown) {
            SetStatus(why + "; " + kMayBeProgramming);
        } else {
            RememberUnfinishedUpdate(0);
            SetStatus(why);
        }
        return false;
    }
    m_pPort->SetReadTimeout(kDownloadReadTimeoutMs);

    uint32_t sent = 0;
    auto send = [&](const uint8_t* data, uint32_t n) {
        if (m_view.StopRequested()) {
            // Between blocks: the transporter has whole blocks only.
            SetStatus(Format("Firmware download stopped after %u of %u bytes; %s", sent, total,
                             kMayBeProgramming));
            return false;
        }
        if (t.SendFlashData(data, n))
            return true;
        // Every device words this failure "Error sending flash data - <reason>" itself.
        const std::string& why = t.GetErrorText();
        SetStatus((why.empty() ? std::string(kSendFailed) : why) + "; " + kMayBeProgramming);
        return false;
    };
    auto progress = [&](uint32_t sent, uint32_t base) {
        const int percent = int(uint64_t(sent) * 100 / base);
        SetStatus(Format("Downloading - %d%%", percent));
        m_view.ShowProgress(std::min(percent, 100));
        UpdateData(false);
        m_view.PumpMessages();
    };
    while (sent < size) {
        const uint32_t n = std::min(kFlashBlock, size - sent);
        if (!send(image.data() + sent, n))
            return false;
        sent += n;
        if (sent < size)
            progress(sent, total);
    }
    if (t.m_bOldFirmware) {
        const std::vector<uint8_t> fill(kFlashBlock, 0xFF);
        while (sent < kOldFirmwareImageLimit) {
            const uint32_t n = std::min(kOldFirmwareImageLimit - sent, kFlashBlock);
            if (!send(fill.data(), n))
                return false;
            sent += n;
            progress(sent, kOldFirmwareFillPercentBase);
        }
        const uint16_t sum = t.GetFlashChecksum();
        const uint8_t checksum[2] = {uint8_t(sum >> 8), uint8_t(sum & 0xFF)};
        if (!send(checksum, 2))
            return false;
    }
    SetStatus("Downloading - completed");
    m_view.ShowProgress(100);
    UpdateData(false);
    m_view.PumpMessages();
    m_ctx.clock.sleep(kAfterDownloadWaitMs);

    if (t.m_bPrinterFirmwareFile) {
        RememberUnfinishedUpdate(0);
        m_ctx.clock.sleep(kPrinterFirmwareWaitMs);
        return true;
    }
    const int delay = t.GetRebootDelay();
    DropDevice();
    m_ctx.clock.sleep(uint32_t(std::max(delay, 0)) * 1000);
    const std::string stopped =
        std::string("Flash update stopped after the download, before the transporter was found "
                    "again: ") +
        kMayBeProgramming;
    if (m_view.StopRequested()) {
        SetStatus(stopped);
        return false;
    }
    if (!ScanPort(false)) {
        // A stop during the probe cut its pauses short: its reason would mislead.
        std::string why =
            m_view.StopRequested()
                ? stopped
                : "Flash update: the transporter was not found again after the download - " +
                      m_strStatus;
        if (why.find(kMayBeProgramming) == std::string::npos)
            why += std::string("; ") + kMayBeProgramming;
        SetStatus(why);
        UpdateData(false);
        return false;
    }
    return CheckFlashedTransporter(image);
}

bool CDaxtoolDlg::SameTransporterOnLine() {
    const CTransporter& t = *m_pTransporter;
    uint8_t answer[kInquiryAnswerSize] = {};
    uint32_t count = 0;
    if (!ReadInquiry(answer, count)) {
        SetStatus(Format("The transporter on %s did not answer before programming - %s; nothing "
                         "was programmed",
                         m_strPortPath.c_str(), m_pPort->GetErrorText()));
        return false;
    }
    const Identification id(answer, sizeof answer, count);
    const std::string printer = id.HasPrinter() ? id.PrinterId() : std::string();
    if (id.TransporterId() == t.m_strTransporterId && printer == t.m_strPrinterId)
        return true;
    std::string now = id.TransporterId();
    now.erase(0, now.find_first_not_of(' '));
    now.erase(now.find_last_not_of(' ') + 1);
    SetStatus(Format("The transporter on %s has changed since it was found (it now answers as "
                     "\"%s\"): nothing was programmed; choose the port again",
                     m_strPortPath.c_str(), now.c_str()));
    return false;
}

bool CDaxtoolDlg::CheckFlashedTransporter(const std::vector<uint8_t>& image) {
    // Answering again only means it restarted: a transporter that refused the image restarts
    // with its old firmware and reports the failure in its first sense.
    CTransporter& t = *m_pTransporter;
    uint16_t sense = t.m_nStartTransporterSense;
    auto unreadable = [&] {
        const std::string why =
            t.GetErrorText().empty() ? m_pPort->GetErrorText() : t.GetErrorText();
        SetStatus("Flash update: the transporter's state after its restart cannot be read - " +
                  why);
        UpdateData(false);
        return false;
    };
    if (!t.m_bStartSenseRead && !t.RequestSense(CTransporter::kDefaultTimeout, &sense, nullptr))
        return unreadable();
    // Still starting up: it says nothing about the firmware yet.
    for (int i = 0; sense == kTransporterSenseNotReady && i < kNotReadyPolls; ++i) {
        m_ctx.clock.sleep(kNotReadyPollMs);
        if (m_view.StopRequested())
            break;
        if (!t.RequestSense(CTransporter::kDefaultTimeout, &sense, nullptr))
            return unreadable();
    }
    t.m_nTransporterSense = sense;
    if (sense == kTransporterSenseProgFlashFailure || sense == kTransporterSenseHostCommFailure) {
        SetStatus("Flash update failed - " +
                  FormatSenseErrorText(t.GetSenseText(), std::string(), sense, 0));
        UpdateData(false);
        return false;
    }
    const std::string now = RevisionText(t.m_nTransporterRevision, t.m_nRevisionSuffix);
    ImageIdentification id;
    // Printer firmware sent with the check disabled says nothing of the transporter's revision.
    if (ReadImageIdentification(image.data(), uint32_t(image.size()), id) &&
        (!id.printerFirmware || t.m_bStandAlonePrinter) &&
        (id.revision != t.m_nTransporterRevision || id.suffix != t.m_nRevisionSuffix)) {
        SetStatus(Format("Flash update did not take - the transporter runs %s after its restart, "
                         "the image holds %s",
                         now.c_str(), RevisionText(id.revision, id.suffix).c_str()));
        UpdateData(false);
        return false;
    }
    std::string status = std::string(kFlashSucceeded) + " - now " + now;
    if (sense != 0)
        status += "; the transporter reports " + t.GetSenseText();
    SetStatus(status);
    UpdateData(false);
    return true;
}

} // namespace dax
