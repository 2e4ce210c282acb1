// linesaver-faulty: the saver on the desktop, with an error planted in its
// hundredth frame tick (about 1.5 s after start). `linesaver-faulty leave`
// plants a second one in the leaving sequence. The end-to-end tests check
// that the desktop reports the error in one line, leaves as on input (the
// cursor shown, the music stopped and its copy deleted) and ends with
// status 1.
#include "platform/event_loop/desktop.h"
#include "shell/saver.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

using namespace linesaver;

class FaultySaver final : public SaverEvents {
public:
    FaultySaver(Saver& saver, bool failWhileLeaving) : saver_(saver), failWhileLeaving_(failWhileLeaving) {}

    void Start() override { saver_.Start(); }
    void MouseMoved(double x, double y) override { saver_.MouseMoved(x, y); }
    void Clicked() override { saver_.Clicked(); }
    void KeyPressed() override { saver_.KeyPressed(); }
    void CloseRequested() override { saver_.CloseRequested(); }
    void MusicPoll() override { saver_.MusicPoll(); }
    void FrameTick() override {
        if (++ticks_ == 100) throw std::runtime_error("a planted fault");
        saver_.FrameTick();
    }
    void Leave(int status) override {
        if (failWhileLeaving_) throw std::runtime_error("a second planted fault");
        saver_.Leave(status);
    }

private:
    Saver& saver_;
    bool failWhileLeaving_;
    int ticks_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    std::string error;
    auto desktop = OpenDesktop(error);
    if (!desktop) {
        std::fprintf(stderr, "linesaver-faulty: cannot open a display: %s\n", error.c_str());
        return 1;
    }
    Saver saver(*desktop);
    FaultySaver faulty(saver, argc > 1 && std::string(argv[1]) == "leave");
    desktop->Run(faulty);
}
