#include "ImageCatalog.h"

#include <map>

#include "PanelLayout.h"
#include "PanelPainter.h"

using namespace panel;

namespace {

constexpr int kSurfaceW = 1500, kSurfaceH = 757;
constexpr int kPageX = 112, kPageY = 96;

std::string g_config;
std::map<std::string, Canvas> g_canvases;

// Texts are painted into a box a little wider than measured, so a glyph
// that reaches past its advance is not cut.
void paintText(ZUVE_IBitmap* b, const Decoration& d, TextStyle style, unsigned int colour)
{
    const Rect box = textBox(d);
    fontFor(style).draw(b, d.text, box.x - 4, box.y, box.w + 8, 1, colour);
}

void paintDecorations(ZUVE_IBitmap* b, const std::string& image)
{
    auto it = g_canvases.find(image);
    if (it == g_canvases.end())
        return;
    for (const Decoration& d : it->second.items) {
        const Rect& r = d.rect;
        switch (d.kind) {
        case Decoration::Kind::Section: drawSection(b, r.x, r.y, r.w, r.h, d.text); break;
        case Decoration::Kind::Display: drawDisplay(b, r.x, r.y, r.w, r.h, d.style); break;
        case Decoration::Kind::MenuField: drawMenuField(b, r.x, r.y, r.w, r.h); break;
        case Decoration::Kind::Label: paintText(b, d, TextStyle::Label, kLabel); break;
        case Decoration::Kind::Glyph: {
            PanelFont& font = fontFor(TextStyle::Button);
            font.draw(b, d.text, r.x, r.y + (r.h - font.lineHeight()) / 2, r.w, 1, kAmber);
            break;
        }
        case Decoration::Kind::Text: {
            const TextStyle style = textStyle(d.style);
            if (style == TextStyle::Button)
                drawTextButton(b, r.x, r.y, r.w, r.h > 0 ? r.h : 24, d.text, false);
            else
                paintText(b, d, style, colourFor(style));
            break;
        }
        }
    }
}

// A page picture: the ground, then what the configuration puts on it.
void paintPage(ZUVE_IBitmap* b, const std::string& image)
{
    fill(b, 0, 0, b->getWidth(), b->getHeight(), kGround);
    paintDecorations(b, image);
}

void paintFrame(ZUVE_IBitmap* b)
{
    fill(b, 0, 0, kSurfaceW, kSurfaceH, kGround);
    fillGradient(b, 0, 0, kSurfaceW, 88, ZUVE_RGBA(28, 29, 31, 255), kHeader);
    fill(b, 0, 88, kSurfaceW, 1, kAmber, 0.5f);
    paintDecorations(b, "BG_ID_PLAIN");
}

void paintWindow(ZUVE_IBitmap* b, const std::string& image, const std::string& title,
                 const std::vector<std::string>& lines)
{
    const int w = b->getWidth(), h = b->getHeight();
    fillRounded(b, 0, 0, w, h, 8, ZUVE_RGBA(30, 32, 35, 255));
    outlineRounded(b, 0, 0, w, h, 8, kAmber);
    fontFor(TextStyle::Title).draw(b, title, 24, 18, w - 48, 0, kAmber);
    fill(b, 20, 40, w - 40, 1, kAmber, 0.55f);
    PanelFont& font = fontFor(TextStyle::Window);
    for (size_t i = 0; i < lines.size(); ++i)
        font.draw(b, lines[i], 24, 60 + int(i) * 26, w - 48, 0, kLabel);
    paintDecorations(b, image);
}

// The list view's picture lies over the lists' dark panels: a faint rule
// between each list's columns (the view's slots are 120 wide, 158 apart, the
// lower list 693 to the right).
void paintBrowser(ZUVE_IBitmap* b)
{
    fill(b, 0, 0, b->getWidth(), b->getHeight(), kTransparent);
    for (int list = 0; list < 2; ++list)
        for (int col = 1; col < 4; ++col)
            fill(b, list * 693 + col * 158 - 19, 4, 1, b->getHeight() - 8, kSectionBorder);
}

// LEDs of diameter 12, centred in cells of 14 by `height`.
void paintLedRow(ZUVE_IBitmap* b, int count, int lit, int x, int y, int height)
{
    for (int i = 0; i < count; ++i)
        drawLed(b, x + 1 + i * 14, y + (height - 12) / 2, 12, i == lit, kAmber);
}

// A padlock in a 16-pixel square, amber when the section is locked.
void paintLock(ZUVE_IBitmap* b, int x, int y, bool on, unsigned int body)
{
    const unsigned int c = on ? kAmber : body;
    ZUVE_Arc(b, x + 8.f, y + 7.f, 4.f, -1.6f, 1.6f, c, 1.f, ZUVE_BLIT_USE_ALPHA, true);
    ZUVE_Arc(b, x + 8.f, y + 7.f, 3.5f, -1.6f, 1.6f, c, 1.f, ZUVE_BLIT_USE_ALPHA, true);
    fill(b, x + 4, y + 7, 1, 2, c);
    fill(b, x + 11, y + 7, 1, 2, c);
    fillRounded(b, x + 2, y + 8, 12, 7, 2, c);
}

// A picture that stands in place of another inside a section: the section's
// colour, and the labels the configuration gives its controls.
void paintInSection(ZUVE_IBitmap* b, const std::string& image)
{
    fill(b, 0, 0, b->getWidth(), b->getHeight(), kSection);
    paintDecorations(b, image);
}

}  // namespace

std::vector<PanelImage> panelImages(const std::string& configPath, std::string* error)
{
    g_config = configPath;
    auto knob = [](int size, bool bipolar, int frames) {
        return [=](ZUVE_IBitmap* b, int f, int x, int y) { drawKnob(b, x, y, size, double(f) / (frames - 1), bipolar); };
    };
    auto inSection = [](const char* image) {
        return [=](ZUVE_IBitmap* b, int, int, int) { paintInSection(b, image); };
    };
    auto textButton = [](const char* text) {
        return [=](ZUVE_IBitmap* b, int f, int x, int y) {
            drawTextButton(b, x, y, b->getWidth(), b->getHeight(), text, f == 1);
        };
    };
    auto page = [](const char* name) { return [=](ZUVE_IBitmap* b, int, int, int) { paintPage(b, name); }; };
    auto ledRow = [](int n, int h) {
        return [=](ZUVE_IBitmap* b, int f, int x, int y) { paintLedRow(b, n, f, x, y, h); };
    };
    auto guard = [](int n, int h) {
        return [=](ZUVE_IBitmap* b, int, int x, int y) {
            for (int i = 0; i < n; ++i)
                ZUVE_Circle(b, x + 7.f + i * 14, y + h / 2.f, 6.5f, ZUVE_RGBA(10, 10, 10, 255), 1.f, ZUVE_BLIT_USE_ALPHA,
                            true);
        };
    };
    // A single LED centred in a square of 24, the size of the buttons beside it.
    auto singleLed = [](unsigned int colour) {
        return [=](ZUVE_IBitmap* b, int f, int x, int y) { drawLed(b, x + 6, y + 6, 12, f == 1, colour); };
    };
    // Page pictures end one row short of the window so their height stays a multiple of 4.
    const int pageW = kSurfaceW - kPageX, pageH = kSurfaceH - kPageY - 1;
    const std::vector<std::string> events = readValueList(g_config, "patternEventType");
    std::vector<PanelImage> images = {
        {"MANAGER_BG_ID2", "manager_bg_blank.png", 1, true, pageW, pageH, page("MANAGER_BG_ID2")},
        {"BG_ID_PLAIN", "main-frame-bg.png", 1, true, kSurfaceW, kSurfaceH, [](ZUVE_IBitmap* b, int, int, int) { paintFrame(b); }},
        {"BG_ID_DISPLAY", "main-display.png", 1, true, 280, 80,
         [](ZUVE_IBitmap* b, int, int, int) { drawDisplay(b, 0, 0, 280, 80, "amber"); }},
        {"BG_ID_EDIT", "layer-main.png", 1, true, pageW, pageH, page("BG_ID_EDIT")},
        {"BG_ID_BROWSER", "browser-layer.png", 1, true, 1292, 452, [](ZUVE_IBitmap* b, int, int, int) { paintBrowser(b); }},
        {"KNOB_ID21", "knob-zelto2x-normal-21.png", 21, false, 32, 32, knob(32, false, 21)},
        {"KNOB_ID97", "knob-zelto2x-normal-97.png", 97, false, 48, 48, knob(48, true, 97)},
        {"KNOB_ID127_FC", "knob-zelto2x-normal-fc.png", 128, false, 48, 48, knob(48, true, 128)},
        {"KNOB_ID127", "knob-zelto2x-normal.png", 128, false, 48, 48, knob(48, false, 128)},
        {"BUTTON_LIB_DISCARD_ID", "btn-lib-discard-edit.png", 1, true, 120, 24, textButton("DISCARD")},
        {"BUTTON_LIB_CANCEL_ID", "btn-cancel-request.png", 1, true, 160, 32, textButton("CANCEL")},
        {"PROGRESS_INDICATOR_ID", "overlayer.png", 1, true, kSurfaceW, kSurfaceH,
         // Only the dimming: the editor's progress overlay draws its box, text and count itself.
         [](ZUVE_IBitmap* b, int, int, int) {
             fill(b, 0, 0, kSurfaceW, kSurfaceH, ZUVE_RGBA(8, 9, 10, 150));
         }},
        {"BUTTON_LOCK_WHITE_ID", "btn-lock-white.png", 2, false, 16, 16,
         [](ZUVE_IBitmap* b, int f, int x, int y) { paintLock(b, x, y, f == 1, ZUVE_RGBA(150, 153, 158, 255)); }},
        {"BUTTON_LOCK_BLACK_ID", "btn-lock-black.png", 2, false, 16, 16,
         [](ZUVE_IBitmap* b, int f, int x, int y) { paintLock(b, x, y, f == 1, ZUVE_RGBA(60, 62, 66, 255)); }},
        {"BG_RENAME_ID", "newNameBG.png", 1, true, 160, 32,
         [](ZUVE_IBitmap* b, int, int, int) { drawDisplay(b, 0, 0, 160, 32, "field"); outlineRounded(b, 0, 0, 160, 32, 4, kAmber); }},
        {"BTN_18x18_ID", "btn-18x18.png", 1, true, 20, 20,
         [](ZUVE_IBitmap* b, int, int, int) { outlineRounded(b, 0, 0, 20, 20, 3, kFieldBorder); }},
        {"BTN_127x18_ID", "btn-127x18.png", 1, true, 128, 20,
         [](ZUVE_IBitmap* b, int, int x, int y) { drawButton(b, x, y, 128, 20, false, false); }},
        {"BTN_RADIO_ARP_ID", "event-radio.png", 2, true, 72, 16 * int(events.empty() ? 8 : events.size()),
         [events](ZUVE_IBitmap* b, int f, int x, int y) {
             PanelFont& font = fontFor(TextStyle::Label);
             for (size_t i = 0; i < events.size(); ++i) {
                 const int by = y + int(i) * 16;
                 fillRounded(b, x + 1, by + 1, 70, 14, 2, f ? ZUVE_RGBA(255, 173, 0, 255) : ZUVE_RGBA(46, 48, 52, 255));
                 font.draw(b, events[i], x, by + (16 - font.lineHeight()) / 2, 72, 1, f ? kNearBlack : kLabel);
             }
         }},
        {"KNOB_PERCENTAGE_ID", "time-slider.png", 4, false, 48, 48,
         [](ZUVE_IBitmap* b, int f, int x, int y) { drawKnob(b, x, y, 48, (f + 1) / 4.0, false); }},
        {"BTN_ON_OFF_ARP_ID", "on-off-button.png", 2, false, 48, 20,
         [](ZUVE_IBitmap* b, int f, int x, int y) { drawButton(b, x, y, 48, 20, f == 1, true); }},
        {"BG_ABOUT_ID", "about-Zelto2X.png", 1, true, 560, 320,
         [](ZUVE_IBitmap* b, int, int, int) {
             paintWindow(b, "BG_ABOUT_ID", "ZELTO2X EDITOR",
                         {"Editor and librarian for the Zelto 2 synthesizer.", "Version 1.1.0",
                          "Sounds, global settings, arpeggiator and library", "in one window, sent to the synth as you edit."});
         }},
        {"BTN_EXIT_ABOUT_ID", "about-exit.png", 1, true, 96, 24, textButton("CLOSE")},
        {"BTN_SEE_ABOUT_ID", "about-trigger.png", 1, true, 144, 64,
         [](ZUVE_IBitmap* b, int, int, int) { fill(b, 0, 0, 144, 64, ZUVE_RGBA(255, 255, 255, 1)); }},
        {"BG_FIRST_RUN_ID", "first-run-Zelto2X.png", 1, true, 560, 320,
         [](ZUVE_IBitmap* b, int, int, int) {
             paintWindow(b, "BG_FIRST_RUN_ID", "WELCOME",
                         {"Connect the Zelto 2 by USB or MIDI, then choose its", "ports at the top right: MIDI IN first, then MIDI OUT.",
                          "REQUEST reads the sound the synth is playing;", "every knob you turn is sent to the synth at once."});
         }},
        {"BTN_EXIT_FIRST_RUN_ID", "first-run-exit.png", 1, true, 96, 24, textButton("START")},
        {"BG_ID_MIDI_FILTERS", "advanced-midi-filters.png", 1, true, 640, 400,
         [](ZUVE_IBitmap* b, int, int, int) {
             paintWindow(b, "BG_ID_MIDI_FILTERS", "MIDI FILTERS", {"Ticked messages pass on to the other side."});
             PanelFont& font = fontFor(TextStyle::Label);
             font.draw(b, "FROM HOST", 244, 96, 120, 1, kAmber);
             font.draw(b, "FROM SYNTH", 372, 96, 120, 1, kAmber);
         }},
        {"BTN_CHECKBOX_ID", "checkbox-button.png", 2, false, 16, 16,
         [](ZUVE_IBitmap* b, int f, int x, int y) {
             fillRounded(b, x, y, 16, 16, 3, kField);
             outlineRounded(b, x, y, 16, 16, 3, kFieldBorder);
             if (f)
                 fillRounded(b, x + 4, y + 4, 8, 8, 2, kAmber);
         }},
        {"BUTTON_BANK_SEARCH_ID", "btn-search.png", 2, false, 32, 24,
         [](ZUVE_IBitmap* b, int f, int x, int y) {
             drawButton(b, x, y, 32, 24, false, false);
             const unsigned int c = f ? kAmber : kLabel;
             ZUVE_Circle(b, x + 14.f, y + 11.f, 4.5f, c, 1.f, ZUVE_BLIT_USE_ALPHA, true);
             ZUVE_Line(b, x + 17, y + 14, x + 21, y + 18, c, 1.f, ZUVE_BLIT_USE_ALPHA, true);
         }},
        {"BG_SEARCH_FIELD_ID", "bg-librarian-search-field.png", 1, true, 240, 24,
         [](ZUVE_IBitmap* b, int, int, int) { drawDisplay(b, 0, 0, 240, 24, "field"); }},
        {"BG_ID_MAIN", "main-bg-black.png", 1, true, kSurfaceW, pageH, page("BG_ID_MAIN")},
        {"LED_SINGLE_ID", "singleledred.png", 2, false, 24, 24, singleLed(kAmber)},
        {"LED_FEM_ID", "led-fem.png", 5, false, 72, 16, ledRow(5, 16)},
        {"LED_QUAD_ID", "quadledred.png", 4, false, 56, 12, ledRow(4, 12)},
        {"LED_TEN_ID", "led-ten.png", 10, false, 140, 12, ledRow(10, 12)},
        {"LED_SEVEN_ID", "led-seven.png", 7, false, 100, 12, ledRow(7, 12)},
        {"LED_SEVEN_PROT_ID", "led-seven-protect.png", 1, true, 100, 12, guard(7, 12)},
        {"LED_SINGLE_PROT_ID", "single-led-protector.png", 1, true, 24, 24,
         [](ZUVE_IBitmap* b, int, int x, int y) {
             ZUVE_Circle(b, x + 12.f, y + 12.f, 6.5f, ZUVE_RGBA(10, 10, 10, 255), 1.f, ZUVE_BLIT_USE_ALPHA, true);
         }},
        {"LED_FEM_PROT_ID", "led-fem-protect.png", 1, true, 72, 16, guard(5, 16)},
        {"LED_TEN_PROT_ID", "led-ten-protect.png", 1, true, 140, 12, guard(10, 12)},
        {"LED_QUAD_PROT_ID", "quad-led-protector.png", 1, true, 56, 12, guard(4, 12)},
        {"LED_SINGLE_G_ID", "singleledgreen.png", 2, false, 24, 24, singleLed(ZUVE_RGBA(70, 230, 100, 255))},
        {"BG_ID_ARPEGGIATOR", "layer-arp-mod-matrix.png", 1, true, pageW, pageH, page("BG_ID_ARPEGGIATOR")},
        {"BG_ARP_KNOB_ID", "tempo-knob-layer.png", 1, true, 88, 88, inSection("BG_ARP_KNOB_ID")},
        {"BG_ARP_SYNC_ID", "tempo-sync-layer.png", 1, true, 144, 56, inSection("BG_ARP_SYNC_ID")},
        {"BTN_OFFON_ID", "btn-lib-display-categories.png", 2, false, 288, 28,
         [](ZUVE_IBitmap* b, int f, int x, int y) {
             const char* tabs[] = {"GLOBAL", "LIBRARY", "SOUND", "ARP/MOD"};
             for (int i = 0; i < 4; ++i)
                 drawTextButton(b, x + i * 72 + 1, y, 70, 28, tabs[i], f == 1);
         }},
        {"BG_ID_CATEGORY_FILTER", "categoryFilterBG.png", 1, true, 240, 24, inSection("BG_ID_CATEGORY_FILTER")},
        // The columns beyond the pattern length, edge to edge.
        {"BG_EVENT_OVERLAYER", "event-overlayer.png", 1, true, 80, 216,
         [](ZUVE_IBitmap* b, int, int, int) { fill(b, 0, 0, 80, 216, ZUVE_RGBA(10, 11, 12, 190)); }},
        {"BG_ID_KEYTRACK", "bg_keytrack.png", 1, true, 88, 80, inSection("BG_ID_KEYTRACK")},
        {"BG_ID_UNISON", "bg_unison_detune.png", 1, true, 88, 80, inSection("BG_ID_UNISON")},
        {"BG_ID_ENV_FADE", "bg_vca_env_fade.png", 1, true, 88, 80, inSection("BG_ID_ENV_FADE")},
        // Stands over the LFO's SPEED label, on its line.
        {"BG_LFO1_CLOCK", "clockedBG.png", 1, true, 64, 20,
         [](ZUVE_IBitmap* b, int, int, int) {
             fill(b, 0, 0, 64, 20, kSection);
             fontFor(TextStyle::Label).draw(b, "CLOCK", 0, 2, 64, 1, kAmber);
         }},
        {"BG_TEMPO_KNOB", "tempoKnobBG.png", 1, true, 88, 88, inSection("BG_TEMPO_KNOB")},
        {"BG_TEMPO_CLOCK", "arpClockBG.png", 1, true, 144, 56, inSection("BG_TEMPO_CLOCK")},
        {"BUTTON_BANK_OVERWRITE_ID", "btn-overwrite-slot.png", 1, true, 120, 24, textButton("STORE SOUND")},
        {"BUTTON_SML_LED_ID", "button-small-led.png", 2, false, 32, 24,
         [](ZUVE_IBitmap* b, int f, int x, int y) { drawButton(b, x, y, 32, 24, f == 1, true); }},
        {"BUTTON_SMALL_ID", "button-small.png", 2, false, 24, 24,
         [](ZUVE_IBitmap* b, int f, int x, int y) { drawButton(b, x, y, 24, 24, f == 1, false); }},
        {"BTN_RELEASE_ALL_LOCKS", "release-all-locks.png", 1, true, 120, 20, textButton("RELEASE LOCKS")},
    };
    // The pictures are painted later; by then the layout they read is known.
    auto frameSize = [&images](const std::string& name) {
        for (const PanelImage& image : images)
            if (name == image.name)
                return Rect{0, 0, image.width, image.height};
        return Rect{};
    };
    g_canvases = readPanelLayout(configPath, "BG_ID_PLAIN", frameSize, error);
    if (g_canvases.empty())
        images.clear();
    return images;
}
