// Device-name resolution over a device directory built from the input: entries named comN,
// lptN, usb/... or anything, as files, folders, symbolic links to entries, to missing paths, to
// themselves. Properties: only the directory's entries exist; the port list is in number order
// within 1..256 and agrees with resolveCom and resolvePath; parsing a name and printing it back
// gives the same number; USB printers carry the interface path form.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "platform/DeviceNames.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <unistd.h>

using namespace dax;
using namespace daxfuzz;
namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& path) {
    if (std::FILE* f = std::fopen(path.c_str(), "w"))
        std::fclose(f);
}

std::string Text(FuzzInput& in, size_t max) {
    std::string s;
    for (size_t n = in.Byte() % (max + 1); n > 0 && in.Left(); --n)
        s.push_back(char(in.Byte()));
    return s;
}

std::string EntryName(FuzzInput& in) {
    switch (in.Byte() % 6) {
    case 0:
    case 1:
        return "com" + std::to_string(int(in.Number(300)) - 20);
    case 2:
        return in.Flag() ? "lpt1" : "LPT2";
    case 3:
        return "usb/vid_044e&pid_200a#" + Text(in, 12);
    case 4:
        return "COM" + std::to_string(in.Byte());
    default:
        return Text(in, 10);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    // A memory file system when there is one: the tree is made anew for every input.
    static const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("daxfuzz-names-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(root / "dev" / "usb", ec);
    fs::create_directories(root / "nodes", ec);
    std::vector<std::string> names;
    for (int i = in.Byte() % 12; i > 0 && in.Left(); --i) {
        const std::string name = EntryName(in);
        if (name.empty() || name.find('\0') != std::string::npos)
            continue;
        const fs::path entry = root / "dev" / name;
        if (entry.lexically_normal().string().rfind((root / "dev").string(), 0) != 0)
            continue; // names like "../x" stay out of the tree
        switch (in.Byte() % 5) {
        case 0: // a node
            Touch(entry);
            break;
        case 1: // a link to a node
            Touch(root / "nodes" / std::to_string(i));
            fs::create_symlink(root / "nodes" / std::to_string(i), entry, ec);
            break;
        case 2: // dangling
            fs::create_symlink(root / "missing", entry, ec);
            break;
        case 3: // a link to itself, or to another entry
            fs::create_symlink(names.empty() ? entry : root / "dev" / names.back(), entry, ec);
            break;
        default:
            fs::create_directories(entry, ec);
            break;
        }
        names.push_back(name);
    }

    DeviceEnvironment env;
    env.deviceDir = (root / "dev").string();
    env.sysfsRoot = (root / "sys").string();
    env.devRoot = (root / "sysdev").string();
    DeviceNames dn(env);
    FUZZ_CHECK(dn.isolated());

    const std::set<std::string> entries(names.begin(), names.end());
    int last = 0;
    for (const ComPortNode& p : dn.listComPorts()) {
        FUZZ_CHECK(p.number > last && p.number <= DeviceNames::kMaxComPort);
        last = p.number;
        FUZZ_CHECK(entries.count("com" + std::to_string(p.number)) == 1);
        FUZZ_CHECK(dn.resolveCom(p.number) == p.node);
        FUZZ_CHECK(dn.resolvePath("\\\\.\\COM" + std::to_string(p.number)) == p.node);
        FUZZ_CHECK(dn.resolvePath("com" + std::to_string(p.number)) == p.node);
    }
    for (int n : {0, 1, 2, 33, 65, 256, 257})
        if (!entries.count("com" + std::to_string(n)))
            FUZZ_CHECK(!dn.resolveCom(n)); // nothing of the system counts
    for (const UsbPrinterNode& p : dn.listUsbPrinters()) {
        const std::string tail =
            p.interfacePath.substr(std::min<size_t>(8, p.interfacePath.size()));
        FUZZ_CHECK(p.interfacePath.rfind("\\\\?\\usb#", 0) == 0);
        // An entry of usb/, or a folder made on the way to a deeper entry.
        const std::string made = "usb/" + tail.substr(0, tail.rfind('#'));
        bool found = false;
        for (const std::string& name : names) {
            const std::string normal = fs::path(name).lexically_normal().generic_string();
            found |= normal == made || normal.rfind(made + "/", 0) == 0;
        }
        FUZZ_CHECK(found);
    }

    const std::string path = Text(in, 24);
    if (auto n = DeviceNames::parseComPath(path)) {
        FUZZ_CHECK(*n >= 1 && *n <= DeviceNames::kMaxComPort);
        FUZZ_CHECK(DeviceNames::parseComPath("\\\\.\\COM" + std::to_string(*n)) == n);
    }
    if (auto n = DeviceNames::parseLptPath(path))
        FUZZ_CHECK(*n == 1 || *n == 2);
    dn.resolvePath(path);
    fs::remove_all(root, ec);
    return 0;
}
