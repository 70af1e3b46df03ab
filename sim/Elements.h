#pragma once

#include "Profile.h"

#include <map>
#include <optional>

namespace dax::sim {

// The places of the transporter and the discs in them. Bins and the mailbox hold a stack of
// discs, every other element at most one; the gripper carries one disc between them. An element
// whose state is fixed at 2 is not fitted: it answers its status but refuses moves.
class CElements {
public:
    enum : int {
        BIN1 = 200,
        BIN4 = 203,
        GRIPPER = 220,
        DRIVE_HOME = 240,
        DRIVE1 = 241,
        DRIVE3 = 243,
        PRINTER = 260,
        POCKET = 270,
        ROTATOR = 280,
        MAILBOX = 300,
    };

    explicit CElements(const SDeviceConfig& config);

    struct SStatus {
        int state;
        long value;
    };
    // Nothing for an element this transporter does not have.
    std::optional<SStatus> Status(int element) const;

    // Each returns the transporter sense code of the refusal, 0 when carried out.
    int Move(int element, char action);
    int OpenClose(int element, char how);
    // Rotator load (ESC "!f311%05dC"): the disc in the gripper, else one from bin 0-3, onto the
    // printer.
    int LoadFromBin(int bin);

    void SetPrinterDrawer(bool open);
    bool PrinterDrawerOpen() const;

private:
    struct SSlot {
        bool stack = false; // bin or mailbox
        bool door = false;
        bool open = false;
        int discs = 0;
        int fixedState = -1;
        long value = 0;
    };
    SSlot* Find(int element);
    const SSlot* Find(int element) const;
    static bool Fitted(const SSlot& s) { return s.fixedState != 2; }

    std::map<int, SSlot> m_slots;
    bool m_bHolding = false;
};

} // namespace dax::sim
