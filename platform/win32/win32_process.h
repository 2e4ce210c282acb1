// The program's own: the folder it was started from and the one-copy rule.
#pragma once

#include <string>

namespace linesaver {

// The folder of the running program (the .scr), in the extended form
// "\\?\C:\...", UTF-8; "" when it cannot be had.
std::string ProgramFolderPath();

// A named mutex in the session's namespace, held while the process lives;
// the system drops it when the process ends, however it ends.
class InstanceMutex {
public:
    InstanceMutex();
    ~InstanceMutex();
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    // Another copy of the saver holds it.
    bool HeldElsewhere() const { return heldElsewhere_; }

private:
    void* handle_ = nullptr;
    bool heldElsewhere_ = false;
};

} // namespace linesaver
