#include "platform/idle_dbus/bus_holds.h"

#include <vector>

namespace linesaver::idle {
namespace {

class BusHolds final : public HoldSource {
public:
    explicit BusHolds(std::unique_ptr<BusConnection> bus) : bus_(std::move(bus)) {}

    bool Open(std::span<const BusWatchEntry> entries, std::string& whyNot) {
        for (const auto& entry : entries) {
            std::string why;
            if (auto watch = entry.open(*bus_, why))
                watches_.push_back(std::move(watch));
            else
                whyNot += std::string(whyNot.empty() ? "" : ", ") + entry.name + " (" + why + ")";
        }
        // What the watches' calls queued or read waits for Rearm to see it.
        return !watches_.empty() && bus_->Rearm();
    }

    std::string Describe() const override {
        std::string text;
        for (const auto& watch : watches_)
            if (const std::string what = watch->Describe(); !what.empty()) text += (text.empty() ? "" : ", ") + what;
        return text;
    }

    int Fd() const override { return bus_->Fd(); }
    void Flush() override { bus_->Rearm(); }

    bool Read(HoldState& state, std::string& why) override {
        if (!bus_->Dispatch()) {
            why = std::string(bus_->Name()) + " went away";
            return false;
        }
        state.inhibitions.clear();
        state.locks.clear();
        state.activity = 0;
        for (const auto& watch : watches_) watch->Report(state);
        return true;
    }

    void Seen(const WatchView& view) override {
        for (const auto& watch : watches_) watch->Seen(view);
    }

private:
    std::unique_ptr<BusConnection> bus_;
    std::vector<std::unique_ptr<BusWatch>> watches_;
};

} // namespace

std::unique_ptr<HoldSource> OpenBusHolds(BusKind kind, std::span<const BusWatchEntry> watches, std::string& whyNot) {
    auto bus = BusConnection::Open(kind, whyNot);
    if (!bus) return nullptr;
    auto holds = std::make_unique<BusHolds>(std::move(bus));
    if (!holds->Open(watches, whyNot)) return nullptr;
    return holds;
}

} // namespace linesaver::idle
