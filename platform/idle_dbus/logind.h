// logind on the system bus: programs that block idle
// (`systemd-inhibit --what=idle`, read from the manager's BlockInhibited and
// its list of inhibitors) hold the saver back, and the session's lock
// (its Lock and Unlock signals, and the LockedHint a locker sets) ends it
// and holds the next.
#pragma once

#include "platform/idle_dbus/bus_holds.h"

namespace linesaver::idle {

// Whether logind says the session is locked. The Lock signal asks the
// session's locker to lock; a locker that does sets LockedHint, and from
// then on the hint is the word (until it is cleared, the session is
// locked, whatever signal comes). A Lock no locker takes up lasts until
// Unlock, or until the user is seen back at the session.
class LogindLock {
public:
    void Lock() { asked_ = true; }
    void Unlock() { asked_ = false; }
    void Hint(bool locked) {
        if (locked != hint_) asked_ = false;
        hint_ = locked;
    }
    // The session seen in use; whether that ended the lock.
    bool SeenInUse() {
        const bool ended = asked_ && !hint_;
        if (ended) asked_ = false;
        return ended;
    }
    bool Locked() const { return hint_ || asked_; }

private:
    bool hint_ = false;
    bool asked_ = false;
};

// The system bus's watch "logind": nothing where logind is not on the bus.
std::unique_ptr<BusWatch> OpenLogind(BusConnection& bus, std::string& whyNot);

} // namespace linesaver::idle
