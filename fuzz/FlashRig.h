#pragma once

#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "flow/DialogRig.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace daxfuzz {

// The main dialog with a general transporter (basic configuration) found on COM2, ready for a
// firmware update from a file this rig writes.
struct FlashRig : dax::flow::DialogRig {
    explicit FlashRig(const std::string& revision) {
        dax::flow::Inquiry q;
        q.revision = revision;
        t = &Attach(2, q);
        settings.WriteInt(dax::kSectionLastGood, dax::kValueFirstPort, 2);
        settings.WriteInt(dax::kSectionLastGood, dax::kValueBaudRate, 38400);
        t->elementStates[240] = 0;
        t->elementStates[241] = 0;
        Dialog().OnInitDialog();
        t->commands.clear();
    }
    ~FlashRig() { std::remove(path.c_str()); }

    void Flash(const std::vector<uint8_t>& file, bool checking) {
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(file.data(), 1, file.size(), f);
            std::fclose(f);
        }
        view.fileToOpen = path;
        view.SetCheck(IDC_DISABLE_CHECK, !checking);
        // With the check disabled the technician answers Yes to programming it anyway.
        view.answerYes = true;
        Dialog().OnUpdateFlash();
    }
    // The programming commands the device took.
    std::vector<std::string> ProgrammingCommands() const {
        std::vector<std::string> p;
        for (const std::string& c : t->commands)
            if (c.rfind("!g0", 0) == 0 || c == "!h0C")
                p.push_back(c);
        return p;
    }

    dax::flow::ScriptedTransporter* t = nullptr;
    std::string path = "/tmp/daxfuzz-flash-" + std::to_string(::getpid()) + ".bin";
};

} // namespace daxfuzz
