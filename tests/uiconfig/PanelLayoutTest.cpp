// The panel's layout at each interface size, from the configuration and the
// image generator's reading of it: positions on the 8-pixel grid, controls in
// the window, labels inside their sections and nothing shown together overlapping.
#include <tinyxml2.h>

#include <cmath>

#include "ImageCatalog.h"
#include "PanelPainter.h"
#include "RealPanel.h"

namespace {

struct Box {
    enum Kind { Control, Label, Title } kind;
    IRECT r;
    std::string what, layers;  // the layer names, outermost first, joined by "/"
};

// The tabs a box shows on, as bits (1 Global, 2 Library, 4 Sound, 8 Arp/Mod),
// or a window's own bit.
int tabsOf(const Box& b)
{
    const std::pair<const char*, int> kPages[] = {{"globalPage", 1}, {"librarianPage", 2}, {"soundPage", 4},
        {"arpModPage", 8}, {"miniMixer", 14}, {"midiFilterSettings", 16}, {"aboutWindow", 32},
        {"firstRunNotification", 64}};
    for (const auto& [name, tabs] : kPages)
        if (b.layers.find(name) != std::string::npos)
            return tabs;
    return 15;  // the header
}

// Layers shown one at a time in one place share a group number; layers that
// cover what lies under them by design have -1.
std::pair<int, std::string> placeOf(const Box& b)
{
    const std::pair<const char*, int> kPlaces[] = {{"osc1KeytrackBtn", 1}, {"osc1UnisonKnob", 1},
        {"osc1AmpEnvFade", 1}, {"osc2KeytrackBtn", 2}, {"osc2AmpEnvFade", 2}, {"categoryLimit", 3}, {"searchField", 3},
        {"patchRename", -1}, {"pattStepOverlayer", -1}};
    for (const auto& [name, place] : kPlaces)
        if (b.layers.find(name) != std::string::npos)
            return {place, name};
    // The logo is the about window's button: an invisible one over it.
    return {b.what.rfind("param " + std::to_string(kDisplayAboutWindow) + " ", 0) == 0 ? -1 : 0, ""};
}

bool shownTogether(const Box& a, const Box& b)
{
    const auto [placeA, layerA] = placeOf(a);
    const auto [placeB, layerB] = placeOf(b);
    return (tabsOf(a) & tabsOf(b)) && placeA >= 0 && placeB >= 0 && !(placeA > 0 && placeA == placeB && layerA != layerB);
}

// The sections, and the labels, texts and section titles a player reads, as
// the image generator paints them (surface pixels at normal size).
void paintedLayout(std::vector<Box>* sections, std::vector<Box>* texts)
{
    std::string error;
    const std::vector<PanelImage> images = panelImages(ZELTO2X_PANEL_CONFIG, &error);
    auto frameSize = [&images](const std::string& name) {
        for (const PanelImage& image : images)
            if (name == image.name)
                return panel::Rect{0, 0, image.width, image.height};
        return panel::Rect{};
    };
    for (const auto& named : panel::readPanelLayout(ZELTO2X_PANEL_CONFIG, "BG_ID_PLAIN", frameSize, &error))
        for (panel::Decoration d : named.second.items) {
            const panel::Canvas& canvas = named.second;
            const auto at = [&canvas](panel::Rect r) {
                return IRECT(canvas.x + r.x, canvas.y + r.y, canvas.x + r.x + r.w, canvas.y + r.y + r.h);
            };
            const bool section = d.kind == panel::Decoration::Kind::Section;
            if (section) {
                sections->push_back({Box::Control, at(d.rect), d.text, d.layers});
                d = {panel::Decoration::Kind::Text, {d.rect.x + 14, d.rect.y + 6, 0, 0}, d.text, "title", 0, d.layers};
            }
            if (d.kind == panel::Decoration::Kind::Label || d.kind == panel::Decoration::Kind::Text)
                texts->push_back({section ? Box::Title : Box::Label, at(panel::textBox(d)), d.text, d.layers});
        }
}

IRECT scaledOut(const IRECT& r, double s)
{
    return IRECT(int(std::floor(r.L * s)), int(std::floor(r.T * s)), int(std::ceil(r.R * s)), int(std::ceil(r.B * s)));
}

bool meets(const IRECT& a, const IRECT& b) { return a.L < b.R && b.L < a.R && a.T < b.B && b.T < a.B; }
bool holds(const IRECT& outer, const IRECT& inner)
{
    return inner.L >= outer.L && inner.T >= outer.T && inner.R <= outer.R && inner.B <= outer.B;
}

std::string describe(const Box& b)
{
    return "\"" + b.what + "\" (" + b.layers + ") at " + std::to_string(b.r.L) + "," + std::to_string(b.r.T) + " to " +
           std::to_string(b.r.R) + "," + std::to_string(b.r.B);
}

}  // namespace

TEST(PanelLayout, EveryPositionOfTheConfigurationLiesOnTheEightPixelGrid)
{
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(tinyxml2::XML_SUCCESS, doc.LoadFile(ZELTO2X_PANEL_CONFIG));
    std::vector<const tinyxml2::XMLElement*> open = {doc.RootElement()};
    int positions = 0;
    while (!open.empty()) {
        const tinyxml2::XMLElement* e = open.back();
        open.pop_back();
        for (const tinyxml2::XMLElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement())
            open.push_back(c);
        for (const char* attribute : {"position", "bounds"})
            if (const char* value = e->Attribute(attribute)) {
                int x = 1, y = 1;
                std::sscanf(value, "%d,%d", &x, &y);
                EXPECT_TRUE(x % 8 == 0 && y % 8 == 0) << e->Name() << " " << attribute << "=\"" << value << "\"";
                ++positions;
            }
    }
    EXPECT_GT(positions, 300);
}

TEST(PanelLayout, AtEachSizeLabelsLieInsideTheirSectionsAndNothingShownTogetherOverlaps)
{
    std::vector<Box> sectionsAtNormal, textsAtNormal;
    paintedLayout(&sectionsAtNormal, &textsAtNormal);
    ASSERT_GT(sectionsAtNormal.size(), 20u);
    for (double scale : {0.75, 1.0, 1.25}) {
        SCOPED_TRACE(scale);
        RealPanel real(scale);
        std::vector<Box> boxes, sections = sectionsAtNormal;
        for (Box& section : sections)
            section.r = scaledOut(section.r, scale);
        for (const PlacedControl& p : real.placed) {
            const IRECT& r = *p.control->GetRECT();
            EXPECT_TRUE(holds(IRECT(0, 0, int(kPanelWidth * scale), int(kPanelHeight * scale)), r) && r.L < r.R &&
                        r.T < r.B) << describe(p.control);
            if (!RealPanel::isPicture(p.control))
                boxes.push_back({Box::Control, r, describe(p.control), p.layers});
        }
        for (Box text : textsAtNormal)
            boxes.push_back({text.kind, scaledOut(text.r, scale), text.what, text.layers});
        // On a page a label lies in a section, clear of its border and below
        // the title's rule; a control inside the border (locks sit in the title bar).
        for (const Box& b : boxes) {
            const int tabs = tabsOf(b);
            if (b.kind == Box::Title || tabs >= 15)
                continue;
            const Box* home = nullptr;
            for (const Box& section : sections)
                if (tabsOf(section) == tabs && section.r.Contains((b.r.L + b.r.R) / 2, (b.r.T + b.r.B) / 2))
                    home = &section;
            const IRECT s = home ? home->r : IRECT();
            const int edge = b.kind == Box::Label ? 4 : 2, top = b.kind == Box::Label ? int(27 * scale) : edge;
            EXPECT_TRUE((!home && b.kind == Box::Control) || holds(IRECT(s.L + edge, s.T + top, s.R - edge, s.B - edge), b.r))
                << describe(b) << (home ? " in " + describe(*home) : " lies in no section");
        }
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t j = i + 1; j < boxes.size(); ++j)
                EXPECT_FALSE(shownTogether(boxes[i], boxes[j]) && meets(boxes[i].r, boxes[j].r))
                    << describe(boxes[i]) << " and " << describe(boxes[j]);
    }
}
