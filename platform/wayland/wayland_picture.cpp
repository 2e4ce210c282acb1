#include "platform/wayland/wayland_picture.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <sys/mman.h>
#include <unistd.h>

namespace linesaver {
namespace {

// A file descriptor closed with its owner.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
};

// The most buffers a picture takes: one the compositor shows, one it may
// still read, one to draw on.
constexpr std::size_t kMostBuffers = 3;

} // namespace

std::unique_ptr<ShmBuffer> ShmBuffer::Make(wl_shm* shm, int width, int height, std::string& error) {
    error = "cannot make shared memory for a picture of " + std::to_string(width) + "x" + std::to_string(height);
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    if (width <= 0 || height <= 0 || bytes > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return nullptr;
    // Fresh memory reads as zeros: black in XRGB.
    const Descriptor file{memfd_create("linesaver-picture", MFD_CLOEXEC)};
    if (file.fd < 0 || ftruncate(file.fd, static_cast<off_t>(bytes)) != 0) return nullptr;
    void* data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, file.fd, 0);
    if (data == MAP_FAILED) return nullptr;
    std::unique_ptr<ShmBuffer> self(new ShmBuffer(width, height));
    self->pixels_ = static_cast<unsigned char*>(data);
    self->bytes_ = bytes;
    const Proxy<wl_shm_pool> pool(wl_shm_create_pool(shm, file.fd, static_cast<std::int32_t>(bytes)));
    self->handle_.reset(
        wl_shm_pool_create_buffer(pool.get(), 0, width, height, self->Stride(), WL_SHM_FORMAT_XRGB8888));
    static constexpr wl_buffer_listener kReleased{&ShmBuffer::Released};
    wl_buffer_add_listener(self->handle_.get(), &kReleased, self.get());
    error.clear();
    return self;
}

ShmBuffer::~ShmBuffer() {
    handle_.reset();
    munmap(pixels_, bytes_);
}

void ShmBuffer::Released(void* buffer, wl_buffer*) noexcept { static_cast<ShmBuffer*>(buffer)->busy_ = false; }

void ShmBuffer::Attach(wl_surface* surface) {
    wl_surface_attach(surface, handle_.get(), 0, 0);
    busy_ = true;
}

std::unique_ptr<WaylandPicture> WaylandPicture::Make(wl_shm* shm, int width, int height, double pixelsPerTwip,
                                                     std::string& error) {
    std::unique_ptr<WaylandPicture> self(new WaylandPicture(shm, width, height));
    for (int i = 0; i < 2; ++i) {
        auto buffer = ShmBuffer::Make(shm, width, height, error);
        if (!buffer) return nullptr;
        self->slots_.push_back({std::move(buffer), DirtyTiles(width, height)});
    }
    const ShmBuffer& first = *self->slots_[0].buffer;
    self->canvas_ = std::make_unique<PixelCanvas>(first.Pixels(), first.Stride(), width, height, pixelsPerTwip, 1.0,
                                                  /*alreadyBlack=*/true);
    if (!self->canvas_->Ok()) {
        error = "cannot draw on a picture of " + std::to_string(width) + "x" + std::to_string(height);
        return nullptr;
    }
    return self;
}

void WaylandPicture::Account() {
    for (const PixelRect& r : canvas_->TakeDirty()) {
        unshown_.MarkBox(r.x, r.y, r.x + r.w, r.y + r.h);
        for (std::size_t i = 0; i < slots_.size(); ++i)
            if (i != drawing_) slots_[i].lacks.MarkBox(r.x, r.y, r.x + r.w, r.y + r.h);
    }
}

WaylandPicture::Presented WaylandPicture::Present(wl_surface* surface, bool whole) {
    if (parked_) return Presented::Waiting;
    Account();
    if (whole) unshown_.MarkAll();
    if (!unshown_.Any()) return Presented::Unchanged;
    for (const PixelRect& r : unshown_.Take()) wl_surface_damage_buffer(surface, r.x, r.y, r.w, r.h);
    slots_[drawing_].buffer->Attach(surface);
    parked_ = true;
    return Presented::Attached;
}

bool WaylandPicture::Settle(bool makeOne) {
    if (!parked_) return true;
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (i == drawing_ || slots_[i].buffer->Busy()) continue;
        MoveCanvasTo(i);
        return true;
    }
    if (!makeOne || slots_.size() >= kMostBuffers || !AddSlot()) return false;
    MoveCanvasTo(slots_.size() - 1);
    return true;
}

bool WaylandPicture::AddSlot() {
    std::string unused;
    auto buffer = ShmBuffer::Make(shm_, width_, height_, unused);
    if (!buffer) return false;
    slots_.push_back({std::move(buffer), DirtyTiles(width_, height_)});
    slots_.back().lacks.MarkAll();
    return true;
}

void WaylandPicture::MoveCanvasTo(std::size_t slot) {
    // What was drawn while parked (when no buffer came free in time) too.
    Account();
    Slot& to = slots_[slot];
    const unsigned char* from = slots_[drawing_].buffer->Pixels();
    unsigned char* pixels = to.buffer->Pixels();
    const auto stride = static_cast<std::size_t>(to.buffer->Stride());
    for (const PixelRect& r : to.lacks.Take()) {
        const std::size_t start = r.y * stride + static_cast<std::size_t>(r.x) * 4;
        for (int row = 0; row < r.h; ++row)
            std::memcpy(pixels + start + row * stride, from + start + row * stride, static_cast<std::size_t>(r.w) * 4);
    }
    canvas_->MoveTo(pixels);
    drawing_ = slot;
    parked_ = false;
}

} // namespace linesaver
