// make_art: draws Pixelwren's artwork from code at build time.
//
//   make_art OUTDIR
//
// writes OUTDIR/pixelwren.ico (16, 20, 24, 32, 48 and 64 px, 32-bit BGRA with alpha) and
// OUTDIR/toolbarS.bmp for S = 16, 20, 24 and 32: the 23 toolbar images of S by S px in one
// strip on silver (4 bits a pixel, with its palette), each drawn at that size.
// Standard library only, so the build needs no image tools.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Toolbar: crisp pixel art on a silver key colour
// ---------------------------------------------------------------------------

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// The toolbar's transparent key; no drawing colour may equal it.
constexpr Rgb kSilver{192, 192, 192};

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kLight{224, 224, 224};
constexpr Rgb kYellow{255, 216, 72};
constexpr Rgb kOchre{200, 144, 24};
constexpr Rgb kBlue{16, 72, 200};
constexpr Rgb kSky{96, 168, 255};
constexpr Rgb kPale{200, 224, 255};
constexpr Rgb kNavy{0, 32, 96};
constexpr Rgb kRed{216, 40, 32};
constexpr Rgb kGreen{40, 160, 48};
constexpr Rgb kBrown{168, 104, 48};

struct Pt {
    double x, y;
};

// The images are designed on a 16 by 16 grid and drawn at any cell size from 16 px up.
// Coordinates are design pixel indices: (3, 4) is the centre of the pixel in column 3, row 4.
// Every shape either covers a device pixel completely or not at all, so edges stay binary
// (crisp) at every size. Design pixel edges land on whole device pixels (edge e at
// round(e * scale)), so fills that meet in the design still meet; a one-pixel stroke of the
// design is `stroke` device pixels thick wherever it lands, so outlines stay even.
class Canvas {
public:
    Canvas(int w, int h, Rgb background, double scale = 1.0)
        : w_(w), h_(h), scale_(scale), stroke_(std::max(1, int(scale))),
          clip_{0, 0, w - 1, h - 1}, px_(static_cast<size_t>(w * h), background) {}

    int width() const { return w_; }
    int height() const { return h_; }
    Rgb at(int x, int y) const { return px_[static_cast<size_t>(y * w_ + x)]; }

    // A design pixel: the stroke-sized square at its leading edges.
    void set(int x, int y, Rgb c) { fill(x, y, x, y, c); }

    // Drawing outside this rectangle (inclusive, design pixels) is dropped until unclip().
    void clip(int x0, int y0, int x1, int y1) { clip_ = {edge(x0), edge(y0), edge(x1 + 1) - 1, edge(y1 + 1) - 1}; }
    void unclip() { clip_ = {0, 0, w_ - 1, h_ - 1}; }

    // Inclusive corners. A side one design pixel long is a stroke from its leading edge.
    void fill(int x0, int y0, int x1, int y1, Rgb c) {
        const auto [dx0, dx1] = span(x0, x1);
        const auto [dy0, dy1] = span(y0, y1);
        fillDevice(dx0, dy0, dx1, dy1, c);
    }

    // The outline keeps inside the rectangle: the right and bottom strokes end at its far edges.
    void frame(int x0, int y0, int x1, int y1, Rgb c) {
        const int l = edge(x0), t = edge(y0), r = edge(x1 + 1), b = edge(y1 + 1);
        fillDevice(l, t, r, t + stroke_, c);
        fillDevice(l, b - stroke_, r, b, c);
        fillDevice(l, t, l + stroke_, b, c);
        fillDevice(r - stroke_, t, r, b, c);
    }

    void box(int x0, int y0, int x1, int y1, Rgb inside, Rgb edgeColour) {
        fillDevice(edge(x0), edge(y0), edge(x1 + 1), edge(y1 + 1), inside);
        frame(x0, y0, x1, y1, edgeColour);
    }

    // Bresenham between the device pixels of the design ends, with a stroke-sized pen.
    void line(int x0, int y0, int x1, int y1, Rgb c) {
        int ax = edge(x0), ay = edge(y0);
        const int bx = edge(x1), by = edge(y1);
        const int dx = std::abs(bx - ax), sx = ax < bx ? 1 : -1;
        const int dy = -std::abs(by - ay), sy = ay < by ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            fillDevice(ax, ay, ax + stroke_, ay + stroke_, c);
            if (ax == bx && ay == by) break;
            const int e2 = 2 * err;
            if (e2 >= dy) { err += dy; ax += sx; }
            if (e2 <= dx) { err += dx; ay += sy; }
        }
    }

    // Pixels whose centre lies within halfWidth of the segment.
    void thickLine(Pt a, Pt b, double halfWidth, Rgb c) {
        forEachPixel([&](double x, double y) { return segmentDistance({x, y}, a, b) <= halfWidth; }, c);
    }

    void disc(Pt centre, double r, Rgb c) { ring(centre, r, -1.0, c); }

    // Pixels with inner < distance <= outer.
    void ring(Pt centre, double outer, double inner, Rgb c) {
        forEachPixel([&](double x, double y) {
            const double d = std::hypot(x - centre.x, y - centre.y);
            return d <= outer && d > inner;
        }, c);
    }

    // Fills the polygon, then traces its edges, so the outline always closes.
    void polygon(const std::vector<Pt>& pts, Rgb inside, Rgb edgeColour) {
        forEachPixel([&](double x, double y) { return insidePolygon(pts, x, y); }, inside);
        for (size_t i = 0; i < pts.size(); ++i) {
            const Pt a = pts[i], b = pts[(i + 1) % pts.size()];
            line(int(a.x), int(a.y), int(b.x), int(b.y), edgeColour);
        }
    }

    // Marching ants: alternating runs of two colours along the border, one stroke wide.
    void dashedFrame(int x0, int y0, int x1, int y1, Rgb a, Rgb b, int run) {
        const int l = edge(x0), t = edge(y0), r = edge(x1 + 1) - stroke_, btm = edge(y1 + 1) - stroke_;
        const int deviceRun = std::max(1, int(std::lround(run * scale_)));
        int step = 0;
        auto put = [&](int x, int y) { fillDevice(x, y, x + stroke_, y + stroke_, (step++ / deviceRun) % 2 ? b : a); };
        for (int x = l; x < r; ++x) put(x, t);
        for (int y = t; y < btm; ++y) put(r, y);
        for (int x = r; x > l; --x) put(x, btm);
        for (int y = btm; y > t; --y) put(l, y);
    }

    // A small hand-drawn mark; '#' sets a design pixel, anything else leaves it. Its cells
    // meet edge to edge, so the mark keeps its shape at every size.
    void glyph(int x, int y, const std::vector<std::string>& rows, Rgb c) {
        for (size_t j = 0; j < rows.size(); ++j)
            for (size_t i = 0; i < rows[j].size(); ++i)
                if (rows[j][i] == '#') {
                    const int cx = x + int(i), cy = y + int(j);
                    fillDevice(edge(cx), edge(cy), edge(cx + 1), edge(cy + 1), c);
                }
    }

    // Device pixels, one to one.
    void blit(const Canvas& src, int dx, int dy) {
        for (int y = 0; y < src.h_; ++y)
            for (int x = 0; x < src.w_; ++x) setDevice(dx + x, dy + y, src.at(x, y));
    }

    static double segmentDistance(Pt p, Pt a, Pt b) {
        const double vx = b.x - a.x, vy = b.y - a.y;
        const double len2 = vx * vx + vy * vy;
        double t = len2 > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / len2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
    }

    // Even-odd rule; points on an edge count as inside.
    static bool insidePolygon(const std::vector<Pt>& pts, double x, double y) {
        bool in = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const Pt a = pts[i], b = pts[j];
            if (segmentDistance({x, y}, a, b) < 1e-6) return true;
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
        }
        return in;
    }

private:
    // Where design edge e (between pixels e - 1 and e) lies in device pixels.
    int edge(int e) const { return int(std::lround(e * scale_)); }
    // The device pixels [first, last) of design pixels i0..i1. A stroke is narrower than the
    // pixel it stands for when the scale is not whole; a wider fill takes up the slack on
    // both sides, so it meets a stroke drawn next to it, leading or trailing, without a gap.
    std::pair<int, int> span(int i0, int i1) const {
        if (i0 == i1) return {edge(i0), edge(i0) + stroke_};
        return {std::min(edge(i0), edge(i0 - 1) + stroke_), std::max(edge(i1 + 1), edge(i1 + 2) - stroke_)};
    }

    void setDevice(int x, int y, Rgb c) {
        if (x >= clip_[0] && y >= clip_[1] && x <= clip_[2] && y <= clip_[3] && x >= 0 && y >= 0 && x < w_ && y < h_)
            px_[static_cast<size_t>(y * w_ + x)] = c;
    }
    // Device corners, the far ones excluded.
    void fillDevice(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) setDevice(x, y, c);
    }

    // Tests each device pixel's centre, in design coordinates.
    template <class Inside>
    void forEachPixel(Inside inside, Rgb c) {
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                if (inside((x + 0.5) / scale_ - 0.5, (y + 0.5) / scale_ - 0.5)) setDevice(x, y, c);
    }

    int w_, h_;
    double scale_;
    int stroke_;
    std::array<int, 4> clip_;
    std::vector<Rgb> px_;
};

// Shared pieces, so related images look like one family.

// A monitor with a grey bezel on a black stand; its screen is x 2..13, y 3..10.
void drawMonitor(Canvas& c, Rgb screen) {
    c.box(0, 1, 15, 12, kGrey, kBlack);
    c.fill(2, 3, 13, 10, screen);
    c.fill(7, 13, 8, 13, kBlack);
    c.fill(4, 14, 11, 14, kBlack);
}

// A window with a title bar; the client area is x0+1..x1-1, y0+3..y1-1.
void drawWindow(Canvas& c, int x0, int y0, int x1, int y1, Rgb title, Rgb client) {
    c.box(x0, y0, x1, y1, client, kBlack);
    c.fill(x0 + 1, y0 + 1, x1 - 1, y0 + 2, title);
}

// Sky and rolling green hills inside a rectangle (inclusive); sun optional.
void drawLandscape(Canvas& c, int x0, int y0, int x1, int y1, bool sun) {
    c.clip(x0, y0, x1, y1);
    c.fill(x0, y0, x1, y1, kSky);
    if (sun) c.disc({x1 - 2.0, y0 + 2.0}, 1.5, kYellow);
    c.disc({x0 + 3.0, y1 + 4.0}, 6.3, kGreen);
    c.disc({x1 - 1.0, y1 + 4.0}, 5.3, kGreen);
    c.unclip();
}

void drawMagnifier(Canvas& c) {
    c.thickLine({9.5, 9.5}, {14, 14}, 1.25, kBlack);
    c.disc({6, 6}, 5.3, kBlack);
    c.disc({6, 6}, 4.3, kPale);
    c.set(4, 3, kWhite);
    c.set(3, 4, kWhite);
}

void drawBlueDisc(Canvas& c) {
    c.disc({7.5, 7.5}, 7.9, kBlack);
    c.disc({7.5, 7.5}, 6.9, kBlue);
}

void drawClipboard(Canvas& c, int x1) {
    c.box(1, 2, x1, 15, kBrown, kBlack);
    const int mid = (1 + x1) / 2;
    c.box(mid - 3, 0, mid + 2, 3, kGrey, kBlack);
}

// --- the 23 toolbar images, in strip order ---

void iconOpen(Canvas& c) {
    c.fill(1, 3, 10, 12, kOchre);
    c.fill(2, 2, 4, 2, kOchre);
    for (const auto& [a, b] : std::vector<std::pair<Pt, Pt>>{
             {{0, 13}, {0, 3}}, {{0, 3}, {1, 2}}, {{1, 2}, {5, 2}}, {{5, 2}, {6, 3}},
             {{6, 3}, {11, 3}}, {{11, 3}, {11, 7}}})
        c.line(int(a.x), int(a.y), int(b.x), int(b.y), kBlack);
    c.polygon({{4, 7}, {15, 7}, {12, 13}, {0, 13}}, kYellow, kBlack);
}

void iconSave(Canvas& c) {
    c.box(1, 1, 14, 14, kBlue, kBlack);
    c.set(14, 1, kSilver);  // the bevelled corner of the disk
    c.set(13, 2, kBlack);
    c.box(4, 1, 11, 6, kLight, kBlack);
    c.fill(8, 2, 9, 5, kBlue);
    c.box(3, 8, 12, 14, kWhite, kBlack);
    c.fill(5, 10, 10, 10, kBlue);
    c.fill(5, 12, 10, 12, kBlue);
}

void iconCaptureRect(Canvas& c) {
    c.fill(1, 1, 9, 9, kPale);
    c.dashedFrame(0, 0, 10, 10, kBlack, kWhite, 2);
    // The cross-hair cursor that dragged out the bottom-right corner.
    c.fill(12, 8, 12, 15, kRed);
    c.fill(8, 12, 15, 12, kRed);
}

void iconScreenBrackets(Canvas& c) {
    drawMonitor(c, kNavy);
    for (const auto& [x, y, sx, sy] : std::array<std::array<int, 4>, 4>{
             {{3, 4, 1, 1}, {12, 4, -1, 1}, {3, 9, 1, -1}, {12, 9, -1, -1}}}) {
        c.fill(std::min(x, x + 2 * sx), y, std::max(x, x + 2 * sx), y, kWhite);
        c.set(x, y + sy, kWhite);
    }
}

void iconCopy(Canvas& c) {
    c.box(1, 1, 9, 11, kWhite, kBlack);
    for (int y : {3, 5, 7}) c.fill(3, y, 7, y, kBlue);
    c.box(6, 5, 14, 15, kWhite, kBlack);
    for (int y : {7, 9, 11, 13}) c.fill(8, y, 12, y, kBlue);
}

void iconScreen(Canvas& c) {
    drawMonitor(c, kSky);
    c.fill(5, 6, 10, 9, kWhite);  // a little camera in the middle of the screen
    c.fill(6, 5, 7, 5, kWhite);
    c.fill(7, 7, 8, 8, kBlack);
}

void iconDelayedWindow(Canvas& c) {
    drawWindow(c, 0, 0, 11, 10, kBlue, kWhite);
    c.disc({10, 10}, 5.4, kBlack);
    c.disc({10, 10}, 4.4, kWhite);
    c.fill(10, 7, 10, 10, kBlack);
    c.fill(11, 10, 12, 10, kBlack);
}

void iconClientArea(Canvas& c) {
    c.box(0, 1, 15, 14, kGrey, kBlack);
    c.fill(1, 2, 14, 3, kGrey);
    c.set(13, 2, kWhite);
    c.box(1, 4, 14, 13, kSky, kBlack);
    c.dashedFrame(2, 5, 13, 12, kWhite, kSky, 2);
}

void iconWindowFrame(Canvas& c) {
    c.box(0, 1, 15, 14, kSky, kBlack);
    c.fill(1, 2, 14, 4, kBlue);
    c.fill(12, 3, 13, 3, kWhite);
    c.box(3, 5, 12, 12, kWhite, kBlack);
}

void iconWorkArea(Canvas& c) {
    c.fill(1, 1, 14, 10, kPale);
    c.dashedFrame(0, 0, 15, 11, kBlack, kWhite, 2);
    c.box(0, 12, 15, 15, kGrey, kBlack);
    c.fill(2, 14, 4, 14, kWhite);  // the start button, bottom left
}

void iconScrollWindow(Canvas& c) {
    drawWindow(c, 0, 0, 15, 15, kBlue, kWhite);
    c.fill(11, 3, 11, 14, kBlack);
    c.fill(12, 7, 14, 9, kGrey);
    c.glyph(12, 4, {".#.", "###"}, kBlack);
    c.glyph(12, 12, {"###", ".#."}, kBlack);
    c.fill(4, 4, 6, 9, kBlue);  // content sliding down
    c.glyph(2, 10, {"#######", ".#####.", "..###..", "...#..."}, kBlue);
}

void iconPaint(Canvas& c) {
    c.polygon({{12, 0}, {15, 3}, {9, 9}, {6, 6}}, kBrown, kBlack);
    c.polygon({{6, 6}, {9, 9}, {7, 11}, {4, 8}}, kGrey, kBlack);
    c.polygon({{4, 8}, {7, 11}, {4, 14}, {0, 15}, {1, 11}}, kRed, kBlack);
}

void iconCrop(Canvas& c) {
    c.fill(5, 5, 10, 10, kPale);
    c.fill(3, 0, 4, 12, kBlack);
    c.fill(3, 11, 15, 12, kBlack);
    c.fill(0, 3, 12, 4, kBlue);
    c.fill(11, 3, 12, 15, kBlue);
}

void iconZoomIn(Canvas& c) {
    drawMagnifier(c);
    c.fill(4, 6, 8, 6, kBlue);
    c.fill(6, 4, 6, 8, kBlue);
}

void iconZoomOut(Canvas& c) {
    drawMagnifier(c);
    c.fill(4, 6, 8, 6, kBlue);
}

void iconCut(Canvas& c) {
    // Each blade runs through the pivot to the handle on the other side.
    c.thickLine({4, 0}, {10, 10.5}, 0.8, kBlack);
    c.thickLine({11, 0}, {5, 10.5}, 0.8, kBlack);
    c.ring({4, 12.5}, 2.9, 1.4, kRed);
    c.ring({11, 12.5}, 2.9, 1.4, kRed);
}

void iconPaste(Canvas& c) {
    drawClipboard(c, 12);
    c.box(6, 5, 14, 15, kWhite, kBlack);
    for (int y : {7, 9, 11, 13}) c.fill(8, y, 12, y, kGrey);
}

void iconAbout(Canvas& c) {
    drawBlueDisc(c);
    c.glyph(6, 3, {".##.", ".##.", "....", "###.", ".##.", ".##.", ".##.", ".##.", "####"}, kWhite);
}

void iconExit(Canvas& c) {
    c.box(1, 1, 9, 15, kGrey, kBlack);
    c.polygon({{2, 2}, {6, 4}, {6, 15}, {2, 15}}, kBrown, kBlack);
    c.set(5, 9, kBlack);  // door knob
    c.polygon({{7, 7}, {11, 7}, {11, 4}, {15, 8}, {11, 12}, {11, 9}, {7, 9}}, kGreen, kBlack);
}

void iconWallpaper(Canvas& c) {
    drawMonitor(c, kSky);
    drawLandscape(c, 2, 3, 13, 10, true);
}

void iconPrint(Canvas& c) {
    c.box(4, 0, 11, 6, kWhite, kBlack);
    c.box(0, 5, 15, 11, kGrey, kBlack);
    c.set(13, 7, kGreen);
    c.box(3, 9, 12, 15, kWhite, kBlack);
    c.fill(3, 9, 12, 9, kBlack);  // the paper slot
    for (int y : {11, 13}) c.fill(5, y, 10, y, kGrey);
}

void iconClipboardPicture(Canvas& c) {
    drawClipboard(c, 14);
    c.frame(3, 5, 12, 13, kBlack);
    drawLandscape(c, 4, 6, 11, 12, false);
}

void iconHelp(Canvas& c) {
    drawBlueDisc(c);
    c.glyph(5, 3, {".####.", "##..##", "....##", "...##.", "..##..", "..##..", "......", "..##..", "..##.."},
            kWhite);
}

using Painter = void (*)(Canvas&);

// Image N of a strip of cell size S sits at x = (N - 1) * S.
constexpr std::array<Painter, 23> kToolbar{
    iconOpen,         iconSave,      iconCaptureRect,   iconScreenBrackets, iconCopy,
    iconScreen,       iconDelayedWindow, iconClientArea, iconWindowFrame,   iconWorkArea,
    iconScrollWindow, iconPaint,     iconCrop,          iconZoomIn,         iconZoomOut,
    iconCut,          iconPaste,     iconAbout,         iconExit,           iconWallpaper,
    iconPrint,        iconClipboardPicture, iconHelp};

// The cell sizes of the toolbar strips: 100, 125, 150 and 200 % of 16 px.
constexpr std::array<int, 4> kToolbarSizes{16, 20, 24, 32};

Canvas drawToolbar(int cellSize) {
    Canvas strip(cellSize * int(kToolbar.size()), cellSize, kSilver);
    for (size_t i = 0; i < kToolbar.size(); ++i) {
        Canvas cell(cellSize, cellSize, kSilver, cellSize / 16.0);
        kToolbar[i](cell);
        strip.blit(cell, int(i) * cellSize, 0);
    }
    return strip;
}

// ---------------------------------------------------------------------------
// Application icon: a wren in a camera viewfinder, rendered per size
// ---------------------------------------------------------------------------

// Straight (not premultiplied) colour, channels 0..1.
struct Rgba {
    double r, g, b, a;
};

constexpr Rgba hex(std::uint32_t v, double a = 1.0) {
    return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0, a};
}

// Source-over for straight colours.
Rgba over(Rgba dst, Rgba src) {
    const double a = src.a + dst.a * (1 - src.a);
    if (a <= 0) return {0, 0, 0, 0};
    auto mix = [&](double s, double d) { return (s * src.a + d * dst.a * (1 - src.a)) / a; };
    return {mix(src.r, dst.r), mix(src.g, dst.g), mix(src.b, dst.b), a};
}

bool inEllipse(Pt p, Pt c, double rx, double ry, double angle, double grow = 0) {
    const double dx = p.x - c.x, dy = p.y - c.y;
    const double u = dx * std::cos(angle) + dy * std::sin(angle);
    const double v = -dx * std::sin(angle) + dy * std::cos(angle);
    const double a = rx + grow, b = ry + grow;
    return (u * u) / (a * a) + (v * v) / (b * b) <= 1.0;
}

bool inCircle(Pt p, Pt c, double r, double grow = 0) { return std::hypot(p.x - c.x, p.y - c.y) <= r + grow; }

bool inShape(Pt p, const std::vector<Pt>& pts, double grow = 0) {
    if (Canvas::insidePolygon(pts, p.x, p.y)) return true;
    for (size_t i = 0; i < pts.size(); ++i)
        if (Canvas::segmentDistance(p, pts[i], pts[(i + 1) % pts.size()]) <= grow) return true;
    return false;
}

// Distance outside an axis-aligned rounded rectangle (negative inside).
double roundRectDistance(Pt p, double x0, double y0, double x1, double y1, double r) {
    const double qx = std::abs(p.x - (x0 + x1) / 2) - ((x1 - x0) / 2 - r);
    const double qy = std::abs(p.y - (y0 + y1) / 2) - ((y1 - y0) / 2 - r);
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - r;
}

// Palette of the icon.
constexpr Rgba kTileTop = hex(0x16767A);
constexpr Rgba kTileBottom = hex(0x0A4350);
constexpr Rgba kTileRim = hex(0x06323C);
constexpr Rgba kBracket = hex(0xF3F1E8);
constexpr Rgba kOutline = hex(0x2E1A0C);
constexpr Rgba kBody = hex(0xA8652C);
constexpr Rgba kBodySmall = hex(0xC07834);  // lighter, so 16 px still separates from the tile
constexpr Rgba kWing = hex(0x7C4520);
constexpr Rgba kBar = hex(0x4E2A12);
constexpr Rgba kBelly = hex(0xE6BE8A);
constexpr Rgba kBrow = hex(0xF2DDB8);
constexpr Rgba kBeakAndLegs = hex(0x3C2A1E);
constexpr Rgba kEye = hex(0x120C08);

// The bird, in tile units (0..1, y down), facing right with its tail cocked up.
const Pt kBodyCentre{0.47, 0.60};
const Pt kHeadCentre{0.655, 0.455};
const Pt kEyeCentre{0.69, 0.435};
const std::vector<Pt> kTailShape{{0.30, 0.62}, {0.38, 0.55}, {0.275, 0.28}, {0.195, 0.31}};
const std::vector<Pt> kBeakShape{{0.745, 0.415}, {0.875, 0.452}, {0.75, 0.478}};

class IconScene {
public:
    explicit IconScene(int size) : size_(size), small_(size <= 16), detailed_(size >= 48) {
        const double px = 1.0 / size;
        inset_ = snap(small_ ? 0.0 : 0.025);
        radius_ = small_ ? 3.5 * px : 0.19;
        // Viewfinder brackets are snapped to whole pixels so they stay sharp.
        bracketInset_ = small_ ? px : snap(0.13);
        bracketLen_ = small_ ? 3 * px : snap(0.2);
        bracketThick_ = std::max(px, snap(0.055));
        birdScale_ = small_ ? 1.12 : 1.0;
        outline_ = small_ ? 0.6 * px : std::max(px, 0.018);
    }

    // Colour at a point in tile units.
    Rgba sample(Pt p) const {
        const double edge = roundRectDistance(p, inset_, inset_, 1 - inset_, 1 - inset_, radius_);
        if (edge > 0) return {0, 0, 0, 0};

        const double t = std::clamp((p.y - inset_) / (1 - 2 * inset_), 0.0, 1.0);
        Rgba c{kTileTop.r + (kTileBottom.r - kTileTop.r) * t, kTileTop.g + (kTileBottom.g - kTileTop.g) * t,
               kTileTop.b + (kTileBottom.b - kTileTop.b) * t, 1.0};
        if (!small_ && edge > -1.0 / size_) c = kTileRim;  // a dark rim keeps the tile apart from light desktops

        if (inBracket(p)) c = kBracket;

        const Pt b = toBird(p);
        if (!small_) {
            // A soft shadow under the bird: the "shadow" in shadow sparrow.
            const double dx = (b.x - 0.49) / 0.22, dy = (b.y - 0.815) / 0.035;
            const double d = dx * dx + dy * dy;
            if (d < 1) c = over(c, hex(0x000000, 0.45 * (1 - d)));
        }
        return paintBird(c, b);
    }

private:
    double snap(double v) const { return std::round(v * size_) / size_; }

    Pt toBird(Pt p) const { return {0.5 + (p.x - 0.5) / birdScale_, 0.55 + (p.y - 0.55) / birdScale_}; }

    // Thin dark bars every 0.045 tile units (about 3 px at 64) along a coordinate.
    static bool barred(double along) { return along - 0.045 * std::floor(along / 0.045) < 0.015; }

    bool inBracket(Pt p) const {
        // Fold the four corners onto the top-left one.
        const double x = std::min(p.x, 1 - p.x) - bracketInset_;
        const double y = std::min(p.y, 1 - p.y) - bracketInset_;
        if (x < 0 || y < 0) return false;
        return (x < bracketLen_ && y < bracketThick_) || (y < bracketLen_ && x < bracketThick_);
    }

    static bool inBody(Pt b, double grow = 0) { return inEllipse(b, kBodyCentre, 0.22, 0.165, -0.2, grow); }

    bool inSilhouette(Pt b, double grow) const {
        // A bigger head at 16 px, so the eye has room.
        return inBody(b, grow) || inCircle(b, kHeadCentre, small_ ? 0.125 : 0.115, grow) ||
               inShape(b, kTailShape, grow) || inShape(b, kBeakShape, grow);
    }

    Rgba paintBird(Rgba c, Pt b) const {
        const double o = outline_ / birdScale_;
        if (!inSilhouette(b, o)) {
            if (detailed_) {  // thin legs down to the shadow
                for (const double x : {0.45, 0.53}) {
                    if (Canvas::segmentDistance(b, {x, 0.74}, {x - 0.01, 0.812}) < 0.012) return kBeakAndLegs;
                }
            }
            return c;
        }
        if (!inSilhouette(b, 0)) return kOutline;

        if (inShape(b, kBeakShape)) return kBeakAndLegs;

        Rgba bird = small_ ? kBodySmall : kBody;
        if (inShape(b, kTailShape) && !inBody(b)) {
            bird = kWing;
            // Fine dark bars across the tail, as on the real bird.
            if (detailed_ && barred(b.y - 0.28)) bird = kBar;
        }
        if (inEllipse(b, {0.56, 0.69}, 0.17, 0.095, -0.25)) bird = kBelly;
        if (!small_ && inEllipse(b, {0.45, 0.575}, 0.13, 0.075, -0.3)) {
            bird = kWing;
            if (detailed_) {
                const double u = (b.x - 0.45) * std::cos(-0.3) + (b.y - 0.575) * std::sin(-0.3);
                if (barred(u)) bird = kBar;
            }
        }
        if (!small_ && Canvas::segmentDistance(b, {0.615, 0.395}, {0.745, 0.41}) < 0.014) bird = kBrow;
        if (inCircle(b, kEyeCentre, small_ ? 0.04 : 0.03)) bird = kEye;
        if (detailed_ && inCircle(b, {kEyeCentre.x + 0.009, kEyeCentre.y - 0.009}, 0.009)) bird = kBrow;
        return bird;
    }

    int size_;
    bool small_, detailed_;
    double inset_, radius_, bracketInset_, bracketLen_, bracketThick_, birdScale_, outline_;
};

// BGRA rows, top-down, straight alpha.
std::vector<std::uint8_t> renderIcon(int size) {
    constexpr int kSub = 8;  // 8x8 samples per pixel
    const IconScene scene(size);
    std::vector<std::uint8_t> bgra(static_cast<size_t>(size * size * 4));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double r = 0, g = 0, b = 0, a = 0;  // premultiplied sums
            for (int j = 0; j < kSub; ++j) {
                for (int i = 0; i < kSub; ++i) {
                    const Pt p{(x + (i + 0.5) / kSub) / size, (y + (j + 0.5) / kSub) / size};
                    const Rgba s = scene.sample(p);
                    r += s.r * s.a;
                    g += s.g * s.a;
                    b += s.b * s.a;
                    a += s.a;
                }
            }
            auto byte = [](double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
            std::uint8_t* out = &bgra[static_cast<size_t>((y * size + x) * 4)];
            if (a > 0) {
                out[0] = byte(b / a);
                out[1] = byte(g / a);
                out[2] = byte(r / a);
            }
            out[3] = byte(a / (kSub * kSub));
        }
    }
    return bgra;
}

// ---------------------------------------------------------------------------
// File writers (little-endian, as Windows reads them)
// ---------------------------------------------------------------------------

class Bytes {
public:
    void u8(std::uint8_t v) { data.push_back(v); }
    void u16(std::uint16_t v) { u8(std::uint8_t(v)); u8(std::uint8_t(v >> 8)); }
    void u32(std::uint32_t v) { u16(std::uint16_t(v)); u16(std::uint16_t(v >> 16)); }
    std::vector<std::uint8_t> data;
};

// BITMAPINFOHEADER with a positive height: rows are stored bottom-up.
void bitmapInfoHeader(Bytes& out, int w, int h, int bits, std::uint32_t imageBytes, std::uint32_t colours = 0) {
    out.u32(40);
    out.u32(std::uint32_t(w));
    out.u32(std::uint32_t(h));
    out.u16(1);  // planes
    out.u16(std::uint16_t(bits));
    out.u32(0);  // BI_RGB
    out.u32(imageBytes);
    out.u32(2835);  // 72 dpi, in pixels per metre
    out.u32(2835);
    out.u32(colours);  // palette entries used
    out.u32(0);
}

// One icon image as a DIB: header with doubled height, BGRA rows, then the AND mask.
std::vector<std::uint8_t> iconDib(int size, const std::vector<std::uint8_t>& bgra) {
    const int maskStride = (size + 31) / 32 * 4;
    Bytes out;
    bitmapInfoHeader(out, size, size * 2, 32, std::uint32_t(size * size * 4 + maskStride * size));
    for (int y = size - 1; y >= 0; --y)
        for (int i = 0; i < size * 4; ++i) out.u8(bgra[static_cast<size_t>(y * size * 4 + i)]);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<size_t>(maskStride), 0);
        for (int x = 0; x < size; ++x)
            if (bgra[static_cast<size_t>((y * size + x) * 4 + 3)] == 0) row[size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        out.data.insert(out.data.end(), row.begin(), row.end());
    }
    return out.data;
}

std::vector<std::uint8_t> buildIco() {
    const std::array<int, 6> sizes{16, 20, 24, 32, 48, 64};
    std::vector<std::vector<std::uint8_t>> images;
    for (int s : sizes) images.push_back(iconDib(s, renderIcon(s)));

    Bytes out;
    out.u16(0);  // reserved
    out.u16(1);  // icon, not cursor
    out.u16(std::uint16_t(sizes.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        out.u8(std::uint8_t(sizes[i]));
        out.u8(std::uint8_t(sizes[i]));
        out.u8(0);  // no palette
        out.u8(0);
        out.u16(1);   // planes
        out.u16(32);  // bits per pixel
        out.u32(std::uint32_t(images[i].size()));
        out.u32(offset);
        offset += std::uint32_t(images[i].size());
    }
    for (const auto& img : images) out.data.insert(out.data.end(), img.begin(), img.end());
    return out.data;
}

// A bottom-up BMP with a palette of the canvas's own colours, 4 or 8 bits a pixel (the art
// uses a handful, and the strips are most of the program's size); 24 bits past 256 colours.
std::vector<std::uint8_t> buildBmp(const Canvas& c) {
    std::vector<Rgb> palette;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (std::find(palette.begin(), palette.end(), c.at(x, y)) == palette.end()) palette.push_back(c.at(x, y));
    const int bits = palette.size() <= 16 ? 4 : palette.size() <= 256 ? 8 : 24;
    if (bits == 24) palette.clear();
    const int stride = (c.width() * bits + 31) / 32 * 4;
    const std::uint32_t imageBytes = std::uint32_t(stride * c.height());
    const std::uint32_t offset = 14 + 40 + 4 * std::uint32_t(palette.size());
    Bytes out;
    out.u8('B');
    out.u8('M');
    out.u32(offset + imageBytes);
    out.u32(0);  // reserved
    out.u32(offset);
    bitmapInfoHeader(out, c.width(), c.height(), bits, imageBytes, std::uint32_t(palette.size()));
    for (const Rgb& p : palette) {
        out.u8(p.b);
        out.u8(p.g);
        out.u8(p.r);
        out.u8(0);
    }
    for (int y = c.height() - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<size_t>(stride), 0);
        for (int x = 0; x < c.width(); ++x) {
            const Rgb p = c.at(x, y);
            if (bits == 24) {
                row[size_t(x * 3)] = p.b;
                row[size_t(x * 3 + 1)] = p.g;
                row[size_t(x * 3 + 2)] = p.r;
                continue;
            }
            const auto index = std::uint8_t(std::find(palette.begin(), palette.end(), p) - palette.begin());
            if (bits == 8) row[size_t(x)] = index;
            else row[size_t(x / 2)] |= std::uint8_t(x % 2 == 0 ? index << 4 : index);
        }
        out.data.insert(out.data.end(), row.begin(), row.end());
    }
    return out.data;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& data) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    f.close();
    return bool(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_art OUTDIR\n";
        return 2;
    }
    std::string dir = argv[1];
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';

    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files{{dir + "pixelwren.ico", buildIco()}};
    for (const int size : kToolbarSizes)
        files.emplace_back(dir + "toolbar" + std::to_string(size) + ".bmp", buildBmp(drawToolbar(size)));
    for (const auto& [path, data] : files) {
        if (!writeFile(path, data)) {
            std::cerr << "make_art: cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
