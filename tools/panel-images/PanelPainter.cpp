#include "PanelPainter.h"

#include <cmath>
#include <algorithm>
#include <map>
#include <vector>

#include "dovor/fonts.h"

namespace panel {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Knob travel: 135 degrees either side of straight up.
constexpr double kSweep = 0.75 * kPi;
constexpr int kBlend = ZUVE_BLIT_USE_ALPHA;

struct StyleSpec {
    const char* face;
    int height;
    int weight;
    unsigned int colour;
};

StyleSpec specFor(TextStyle style)
{
    switch (style) {
    case TextStyle::Logo: return {"DejaVu Sans", 30, FW_BOLD, kAmber};
    case TextStyle::Title: return {"DejaVu Sans", 15, FW_BOLD, kAmber};
    case TextStyle::Label: return {"DejaVu Sans", 14, FW_BOLD, kLabel};
    case TextStyle::Note: return {"DejaVu Sans", 14, FW_NORMAL, kNote};
    case TextStyle::LcdLabel: return {"DejaVu Sans", 13, FW_BOLD, kNearBlack};
    case TextStyle::Button: return {"DejaVu Sans", 13, FW_BOLD, kLabel};
    case TextStyle::Step: return {"DejaVu Sans", 15, FW_BOLD, kAmber};
    case TextStyle::Window: return {"DejaVu Sans", 17, FW_NORMAL, kLabel};
    }
    return {"DejaVu Sans", 14, FW_NORMAL, kLabel};
}

unsigned int mix(unsigned int a, unsigned int b, double t)
{
    auto channel = [&](int ca, int cb) { return int(std::lround(ca + (cb - ca) * t)); };
    return ZUVE_RGBA(channel(ZUVE_GETR(a), ZUVE_GETR(b)), channel(ZUVE_GETG(a), ZUVE_GETG(b)),
                     channel(ZUVE_GETB(a), ZUVE_GETB(b)), channel(ZUVE_GETA(a), ZUVE_GETA(b)));
}

// A thick arc as a band of one-pixel arcs.
void band(ZUVE_IBitmap* b, double cx, double cy, double r, double width, double from, double to, unsigned int colour)
{
    if (to < from)
        std::swap(from, to);
    for (double d = -width / 2; d <= width / 2; d += 0.5)
        ZUVE_Arc(b, float(cx), float(cy), float(r + d), float(from), float(to), colour, 1.f, kBlend, true);
}

void thickLine(ZUVE_IBitmap* b, double x1, double y1, double x2, double y2, unsigned int colour)
{
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (dx == 0 || dy == 0)
                ZUVE_Line(b, int(std::lround(x1 + dx * 0.5)), int(std::lround(y1 + dy * 0.5)),
                          int(std::lround(x2 + dx * 0.5)), int(std::lround(y2 + dy * 0.5)), colour, 1.f, kBlend, true);
}

}  // namespace

PanelFont::PanelFont(TextStyle style)
{
    const StyleSpec spec = specFor(style);
    HGDIOBJ handle = CreateFont(spec.height, 0, 0, 0, spec.weight, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, spec.face);
    m_font.SetFromHFont(handle);
}

int PanelFont::width(const std::string& text)
{
    RECT r{0, 0, 0, 0};
    m_font.DrawText(nullptr, text.c_str(), -1, &r, DT_CALCRECT);
    return r.right - r.left;
}

void PanelFont::draw(ZUVE_IBitmap* dest, const std::string& text, int x, int y, int w, int align, unsigned int colour)
{
    m_font.SetTextColor(colour);
    RECT r{x, y, x + w, y + lineHeight()};
    const unsigned int flags = (align == 1 ? DT_CENTER : align == 2 ? DT_RIGHT : DT_LEFT) | DT_NOCLIP;
    m_font.DrawText(dest, text.c_str(), -1, &r, flags);
}

PanelFont& fontFor(TextStyle style)
{
    static std::map<TextStyle, std::unique_ptr<PanelFont>> fonts;
    auto& font = fonts[style];
    if (!font)
        font = std::make_unique<PanelFont>(style);
    return *font;
}

unsigned int colourFor(TextStyle style) { return specFor(style).colour; }

TextStyle textStyle(const std::string& s)
{
    if (s == "logo") return TextStyle::Logo;
    if (s == "note") return TextStyle::Note;
    if (s == "lcdlabel") return TextStyle::LcdLabel;
    if (s == "button") return TextStyle::Button;
    if (s == "step") return TextStyle::Step;
    if (s == "window") return TextStyle::Window;
    if (s == "title") return TextStyle::Title;
    return TextStyle::Label;
}

Rect textBox(const Decoration& d)
{
    const bool label = d.kind == Decoration::Kind::Label;
    PanelFont& font = fontFor(label ? TextStyle::Label : textStyle(d.style));
    const int tw = font.width(d.text), lh = font.lineHeight();
    const Rect& r = d.rect;
    if (!label) {
        const int x = d.align == 0 ? r.x : d.align == 2 ? r.x + r.w - tw : r.x + (r.w - tw) / 2;
        return {x, r.y, tw, lh};
    }
    if (d.style == "right")
        return {r.x + r.w + 6, r.y + (r.h - lh) / 2, tw, lh};
    if (d.style == "left")
        return {r.x - 6 - tw, r.y + (r.h - lh) / 2, tw, lh};
    const int x = r.x + (r.w - tw) / 2;
    return {x, d.style == "above" ? r.y - lh - 2 : r.y + r.h + 2, tw, lh};
}

void fill(ZUVE_IBitmap* b, int x, int y, int w, int h, unsigned int colour, float alpha)
{
    ZUVE_FillRect(b, x, y, w, h, colour, alpha, kBlend);
}

void fillRounded(ZUVE_IBitmap* b, int x, int y, int w, int h, int radius, unsigned int colour)
{
    fill(b, x + radius, y, w - 2 * radius, h, colour);
    fill(b, x, y + radius, radius, h - 2 * radius, colour);
    fill(b, x + w - radius, y + radius, radius, h - 2 * radius, colour);
    const int r = radius;
    ZUVE_FillCircle(b, x + r, y + r, r, colour, 1.f, kBlend, true);
    ZUVE_FillCircle(b, x + w - r - 1, y + r, r, colour, 1.f, kBlend, true);
    ZUVE_FillCircle(b, x + r, y + h - r - 1, r, colour, 1.f, kBlend, true);
    ZUVE_FillCircle(b, x + w - r - 1, y + h - r - 1, r, colour, 1.f, kBlend, true);
}

void outlineRounded(ZUVE_IBitmap* b, int x, int y, int w, int h, int radius, unsigned int colour)
{
    ZUVE_RoundRect(b, x, y, w - 1, h - 1, radius, colour, 1.f, kBlend, true);
}

void fillGradient(ZUVE_IBitmap* b, int x, int y, int w, int h, unsigned int top, unsigned int bottom)
{
    for (int row = 0; row < h; ++row)
        fill(b, x, y + row, w, 1, mix(top, bottom, h > 1 ? double(row) / (h - 1) : 0.0));
}

void drawSection(ZUVE_IBitmap* b, int x, int y, int w, int h, const std::string& title)
{
    fillRounded(b, x, y, w, h, 6, kSection);
    outlineRounded(b, x, y, w, h, 6, kSectionBorder);
    if (title.empty())
        return;
    PanelFont& font = fontFor(TextStyle::Title);
    font.draw(b, title, x + 14, y + 6, w - 28, 0, kAmber);
    fill(b, x + 12, y + 26, w - 24, 1, kAmber, 0.55f);
}

void drawMenuField(ZUVE_IBitmap* b, int x, int y, int w, int h)
{
    fillRounded(b, x, y, w, h, 3, kField);
    outlineRounded(b, x, y, w, h, 3, kFieldBorder);
    const int ax = x + w - 11, ay = y + h / 2 - 2;
    ZUVE_FillTriangle(b, ax - 4, ay, ax + 4, ay, ax, ay + 5, kAmber, 1.f, kBlend);
}

void drawDisplay(ZUVE_IBitmap* b, int x, int y, int w, int h, const std::string& style)
{
    if (style == "amber") {
        fillRounded(b, x, y, w, h, 4, ZUVE_RGBA(40, 26, 4, 255));
        fillGradient(b, x + 3, y + 3, w - 6, h - 6, ZUVE_RGBA(250, 172, 40, 255), kLcdAmber);
        outlineRounded(b, x, y, w, h, 4, ZUVE_RGBA(92, 64, 16, 255));
    } else if (style == "list") {
        fillRounded(b, x, y, w, h, 4, ZUVE_RGBA(12, 13, 14, 255));
        outlineRounded(b, x, y, w, h, 4, kSectionBorder);
    } else {
        fillRounded(b, x, y, w, h, 4, style == "dark" ? ZUVE_RGBA(6, 8, 10, 255) : kField);
        outlineRounded(b, x, y, w, h, 4, kFieldBorder);
    }
}

void drawKnob(ZUVE_IBitmap* b, int x, int y, int size, double t, bool bipolar)
{
    const double c = size / 2.0 - 0.5;
    const double cx = x + c + 0.5, cy = y + c + 0.5;
    const double trackR = size / 2.0 - 3.0;
    const double bodyR = size / 2.0 - 7.5;
    const double angle = -kSweep + 2 * kSweep * t;
    band(b, cx, cy, trackR, size >= 40 ? 3.0 : 2.0, -kSweep, kSweep, kKnobTrack);
    const double from = bipolar ? 0.0 : -kSweep;
    if (std::fabs(angle - from) > 0.02)
        band(b, cx, cy, trackR, size >= 40 ? 3.0 : 2.0, from, angle, kAmber);
    else if (bipolar)
        band(b, cx, cy, trackR, size >= 40 ? 3.0 : 2.0, -0.04, 0.04, kAmber);
    ZUVE_FillCircle(b, int(std::lround(cx)), int(std::lround(cy)), int(bodyR) + 1, ZUVE_RGBA(14, 15, 16, 255), 1.f,
                    kBlend, true);
    ZUVE_FillCircle(b, int(std::lround(cx)), int(std::lround(cy)), int(bodyR), kKnobBody, 1.f, kBlend, true);
    ZUVE_Arc(b, float(cx), float(cy), float(bodyR - 1), float(-kPi / 2), float(kPi / 2), ZUVE_RGBA(86, 89, 95, 255),
             1.f, kBlend, true);
    const double sx = std::sin(angle), sy = -std::cos(angle);
    thickLine(b, cx + sx * bodyR * 0.25, cy + sy * bodyR * 0.25, cx + sx * (bodyR - 1.5), cy + sy * (bodyR - 1.5),
              kPointer);
}

void drawButton(ZUVE_IBitmap* b, int x, int y, int w, int h, bool lit, bool led)
{
    fillRounded(b, x, y, w, h, 3, ZUVE_RGBA(12, 13, 14, 255));
    fillGradient(b, x + 1, y + 1, w - 2, h - 2, ZUVE_RGBA(78, 81, 87, 255), ZUVE_RGBA(52, 54, 58, 255));
    outlineRounded(b, x, y, w, h, 3, ZUVE_RGBA(16, 17, 18, 255));
    if (led)
        drawLed(b, x + w / 2 - 4, y + h / 2 - 4, 8, lit, kAmber);
    else if (lit)
        fill(b, x + 2, y + 2, w - 4, h - 4, kAmber, 0.35f);
}

void drawLed(ZUVE_IBitmap* b, int x, int y, int d, bool lit, unsigned int colour)
{
    const int r = d / 2;
    const unsigned int off = mix(colour, ZUVE_RGBA(20, 20, 20, 255), 0.8);
    if (lit)
        ZUVE_FillCircle(b, x + r, y + r, r, mix(colour, kGround, 0.5), 0.6f, kBlend, true);
    ZUVE_FillCircle(b, x + r, y + r, r - 1, lit ? colour : off, 1.f, kBlend, true);
    if (lit)
        ZUVE_FillCircle(b, x + r - 1, y + r - 1, std::max(1, r / 3), ZUVE_RGBA(255, 236, 190, 255), 0.8f, kBlend,
                        true);
}

void drawTextButton(ZUVE_IBitmap* b, int x, int y, int w, int h, const std::string& text, bool lit)
{
    drawButton(b, x, y, w, h, false, false);
    if (lit)
        fill(b, x + 3, y + h - 4, w - 6, 2, kAmber);
    PanelFont& font = fontFor(TextStyle::Button);
    font.draw(b, text, x, y + (h - font.lineHeight()) / 2 - (lit ? 1 : 0), w, 1, lit ? kAmber : kLabel);
}

void straightenAlpha(ZUVE_IBitmap* b)
{
    const int w = b->getWidth(), h = b->getHeight(), span = b->getRowSpan();
    unsigned int* bits = b->getBits();
    if (!bits)
        return;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned int& p = bits[y * span + x];
            const int a = ZUVE_GETA(p);
            if (a == 0 || a == 255)
                continue;
            auto straight = [a](int c) { return std::min(255, (c * 255 + a / 2) / a); };
            p = ZUVE_RGBA(straight(ZUVE_GETR(p)), straight(ZUVE_GETG(p)), straight(ZUVE_GETB(p)), a);
        }
    // Read from a copy so a filled pixel does not spread its colour further.
    const std::vector<unsigned int> source(bits, bits + size_t(span) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (ZUVE_GETA(source[size_t(y) * span + x]) != 0)
                continue;
            int r = 0, g = 0, bl = 0, weight = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                        continue;
                    const unsigned int n = source[size_t(ny) * span + nx];
                    const int a = ZUVE_GETA(n);
                    r += ZUVE_GETR(n) * a;
                    g += ZUVE_GETG(n) * a;
                    bl += ZUVE_GETB(n) * a;
                    weight += a;
                }
            if (weight > 0)
                bits[y * span + x] = ZUVE_RGBA(r / weight, g / weight, bl / weight, 0);
        }
}

}  // namespace panel
