#include "tools/render/headless_render.h"

#include "patterns/table.h"
#include "platform/headless/canvas_png.h"
#include "platform/raster/pixel_canvas.h"

#include <cairo.h>
#include <memory>

namespace linesaver {
namespace {

void Apply(const Overrides& set, SaverState& s) {
    if (set.pattern) {
        s.pattern = *set.pattern;
        s.patternActive = true;
    }
    if (set.phase) s.phase = s.runStart = *set.phase;
    if (set.runStart) s.runStart = *set.runStart;
    if (set.anchor) s.anchor = {(*set.anchor)[0], (*set.anchor)[1]};
    if (set.velocity) s.velocity = {(*set.velocity)[0], (*set.velocity)[1]};
    if (set.mode) s.motionMode = *set.mode;
    if (set.colour) s.colourLevel = *set.colour;
    if (set.directions) s.colourDirection = *set.directions;
}

// The contact sheet's layout, in pixels. Each tile shows a 1024 x 768
// screen at about a fifth of its size, with lines one pixel wide.
constexpr int kColumns = 8;
constexpr int kTileWidth = 200;
constexpr int kTileHeight = 150;
constexpr int kGap = 4;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr double kLabelSize = 15;

struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

// tile: a surface over the tile canvas's pixels, drawn on since last placed.
void PlaceTile(cairo_t* sheet, cairo_surface_t* tile, int x, int y, int number) {
    cairo_surface_mark_dirty(tile);
    cairo_set_source_surface(sheet, tile, x, y);
    cairo_paint(sheet);
    const std::string label = std::to_string(number);
    cairo_text_extents_t extents;
    cairo_text_extents(sheet, label.c_str(), &extents);
    cairo_set_source_rgba(sheet, 0, 0, 0, 0.6);
    cairo_rectangle(sheet, x, y, extents.x_advance + 8, kLabelSize + 6);
    cairo_fill(sheet);
    cairo_set_source_rgb(sheet, 1, 1, 1);
    cairo_move_to(sheet, x + 4, y + kLabelSize + 1);
    cairo_show_text(sheet, label.c_str());
}

// The state line that ends a trace. Its names are the render tool's
// short ones: a1 the phase, a00 the run's start, q the pattern, q0 active,
// q1 runs done, px1 py1 the anchor, px2 py2 its velocity, a4 the motion
// mode, col the colour levels / directions.
void WriteState(TraceWriter& out, const SaverState& s) {
    const auto& level = s.colourLevel;
    const auto& direction = s.colourDirection;
    out.Printf("state a1=%.6f a00=%.6f q=%.6f q0=%.6f q1=%.6f px1=%.6f py1=%.6f px2=%.6f py2=%.6f a4=%.6f "
               "col=%d,%d,%d/%d,%d,%d\n",
               s.phase, s.runStart, double(s.pattern), double(s.patternActive), double(s.runsDone), s.anchor.x,
               s.anchor.y, s.velocity.x, s.velocity.y, double(static_cast<int>(s.motionMode)), level[0], level[1],
               level[2], direction[0], direction[1], direction[2]);
}

} // namespace

HeadlessSaver::HeadlessSaver(const RunSetup& setup, DrawingSink& sink)
    : platform_(setup.width * kTwipsPerPixel, setup.height * kTwipsPerPixel, setup.seed, sink, setup.fixedSeed),
      saver_(platform_) {
    saver_.Start();
    Apply(setup.set, saver_.State());
}

void WriteTrace(const RunSetup& setup, long ticks, TraceWriter& out) {
    HeadlessSaver run(setup, out);
    for (long n = 1; n <= ticks; ++n) {
        out.Tick(n);
        run.Tick();
    }
    WriteState(out, run.State());
}

long DrawRun(int pattern, const RunSetup& setup, long maxTicks, PixelCanvas& canvas) {
    // The run's own clears are held back: the only one comes from the tick
    // that ends the run, and the picture is what stood before it.
    CanvasSink sink(canvas, true);
    RunSetup forced = setup;
    forced.set.pattern = pattern;
    HeadlessSaver run(forced, sink);
    long ticks = 0;
    while (ticks < maxTicks && run.State().patternActive) {
        run.Tick();
        ++ticks;
    }
    return ticks;
}

namespace {

// A canvas of the screen's size, drawn on by draw, written as PNG.
template <class Draw>
bool RenderScreen(const RunSetup& setup, const std::string& path, std::string& error, Draw draw) {
    PixelCanvas canvas(setup.width, setup.height, 1 / kTwipsPerPixel);
    if (!canvas.Ok()) {
        error = "cannot make a " + std::to_string(setup.width) + " x " + std::to_string(setup.height) + " picture";
        return false;
    }
    draw(canvas);
    if (!WritePng(canvas, path)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace

bool RenderPattern(int pattern, const RunSetup& setup, long maxTicks, const std::string& path, std::string& error) {
    return RenderScreen(setup, path, error, [&](PixelCanvas& canvas) { DrawRun(pattern, setup, maxTicks, canvas); });
}

bool RenderFrame(const RunSetup& setup, long ticks, const std::string& path, std::string& error) {
    return RenderScreen(setup, path, error, [&](PixelCanvas& canvas) {
        CanvasSink sink(canvas, false);
        HeadlessSaver run(setup, sink);
        for (long n = 0; n < ticks; ++n) run.Tick();
    });
}

bool RenderGallery(std::uint64_t seed, const std::string& path, std::string& error) {
    const int rows = (PatternCount() + kColumns - 1) / kColumns;
    const CairoSurface sheet(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kColumns * (kTileWidth + kGap) + kGap,
                                                        rows * (kTileHeight + kGap) + kGap));
    PixelCanvas tile(kTileWidth, kTileHeight, kTileWidth / (kScreenWidth * kTwipsPerPixel));
    const CairoSurface tilePixels = SurfaceOver(tile);
    const std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(sheet.get()));
    if (!tilePixels || cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) {
        error = "cannot make the gallery's pictures";
        return false;
    }
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 0.16, 0.16, 0.16);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, kLabelSize);
    RunSetup setup;
    setup.width = kScreenWidth;
    setup.height = kScreenHeight;
    setup.seed = seed;
    for (int n = 1; n <= PatternCount(); ++n) {
        tile.Clear();
        DrawRun(n, setup, kRunTickLimit, tile);
        const int column = (n - 1) % kColumns;
        const int row = (n - 1) / kColumns;
        PlaceTile(cr, tilePixels.get(), kGap + column * (kTileWidth + kGap), kGap + row * (kTileHeight + kGap), n);
    }
    if (cairo_surface_write_to_png(sheet.get(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace linesaver
