#pragma once
// The drawing vocabulary of the panel: one palette, one section style, one
// label style, the knob, button, LED and display pictures. Everything is drawn
// at the "normal" size; the editor scales the pictures for the other sizes.

#include <memory>
#include <string>

#include "PanelLayout.h"
#include "zuve/zuve.h"
#include "zuve/zuve_text.h"

namespace panel {

// The palette. Amber and blue are the display colours the menus and status
// lines are drawn in, so the pictures match the texts over them.
constexpr unsigned int kGround = ZUVE_RGBA(24, 25, 27, 255);
constexpr unsigned int kHeader = ZUVE_RGBA(15, 16, 17, 255);
constexpr unsigned int kSection = ZUVE_RGBA(36, 38, 41, 255);
constexpr unsigned int kSectionBorder = ZUVE_RGBA(64, 67, 72, 255);
constexpr unsigned int kAmber = ZUVE_RGBA(255, 173, 0, 255);
constexpr unsigned int kBlue = ZUVE_RGBA(0, 174, 255, 255);
constexpr unsigned int kLabel = ZUVE_RGBA(218, 220, 224, 255);
constexpr unsigned int kNote = ZUVE_RGBA(150, 153, 158, 255);
constexpr unsigned int kNearBlack = ZUVE_RGBA(10, 10, 10, 255);
constexpr unsigned int kField = ZUVE_RGBA(11, 12, 13, 255);
constexpr unsigned int kFieldBorder = ZUVE_RGBA(74, 77, 82, 255);
constexpr unsigned int kLcdAmber = ZUVE_RGBA(236, 152, 18, 255);
constexpr unsigned int kKnobBody = ZUVE_RGBA(52, 54, 58, 255);
constexpr unsigned int kKnobTrack = ZUVE_RGBA(66, 69, 74, 255);
constexpr unsigned int kPointer = ZUVE_RGBA(245, 245, 245, 255);
constexpr unsigned int kTransparent = 0;

enum class TextStyle { Logo, Title, Label, Note, LcdLabel, Button, Step, Window };

// A font of one style; owns its glyph cache.
class PanelFont {
public:
    explicit PanelFont(TextStyle style);
    // Width in pixels of text drawn in this style.
    int width(const std::string& text);
    int lineHeight() const { return m_font.GetLineHeight(); }
    // Draws text in the box (x, y, w, lineHeight), aligned by align: 0 left, 1 centre, 2 right.
    void draw(ZUVE_IBitmap* dest, const std::string& text, int x, int y, int w, int align, unsigned int colour);

private:
    ZUVE_CachedFont m_font;
};

PanelFont& fontFor(TextStyle style);
unsigned int colourFor(TextStyle style);
TextStyle textStyle(const std::string& name);

// Where a label or a text decoration is painted, in its picture's coordinates:
// the box of the text itself, one line high.
Rect textBox(const Decoration& d);

void fill(ZUVE_IBitmap* b, int x, int y, int w, int h, unsigned int colour, float alpha = 1.f);
void fillRounded(ZUVE_IBitmap* b, int x, int y, int w, int h, int radius, unsigned int colour);
void outlineRounded(ZUVE_IBitmap* b, int x, int y, int w, int h, int radius, unsigned int colour);

// A section: lighter panel, thin border, amber upper-case title with its rule.
void drawSection(ZUVE_IBitmap* b, int x, int y, int w, int h, const std::string& title);
// A menu field: near-black box with a small amber down-arrow at the right.
void drawMenuField(ZUVE_IBitmap* b, int x, int y, int w, int h);
// A display: "amber" lit LCD, "dark" LCD, a plain "field" or the dark panel under a "list".
void drawDisplay(ZUVE_IBitmap* b, int x, int y, int w, int h, const std::string& style);
// A vertical gradient fill from top to bottom colour.
void fillGradient(ZUVE_IBitmap* b, int x, int y, int w, int h, unsigned int top, unsigned int bottom);

// One knob frame of size `size` at (x, y): position t in 0..1; bipolar arcs
// start at the centre position.
void drawKnob(ZUVE_IBitmap* b, int x, int y, int size, double t, bool bipolar);
// A push button face, lit (amber LED) or not; led false draws a plain key.
void drawButton(ZUVE_IBitmap* b, int x, int y, int w, int h, bool lit, bool led);
// A round LED of diameter d, lit in colour or dark.
void drawLed(ZUVE_IBitmap* b, int x, int y, int d, bool lit, unsigned int colour);
// A button with its text, lit amber when on.
void drawTextButton(ZUVE_IBitmap* b, int x, int y, int w, int h, const std::string& text, bool lit);

// Painting blends onto a transparent picture, which leaves every pixel's
// colour multiplied by its alpha. A PNG holds the colour as it is, and the
// editor scales a picture by mixing neighbouring pixels as stored: this
// divides the alpha out and gives each transparent pixel the colour of its
// visible neighbours, so edges and thin strokes keep their colour at every size.
void straightenAlpha(ZUVE_IBitmap* b);

}  // namespace panel
