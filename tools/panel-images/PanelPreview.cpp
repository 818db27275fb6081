#include "PanelPreview.h"

#include <tinyxml2.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "ImageCatalog.h"
#include "PanelPainter.h"
#include "PngWriter.h"
#include "dovor/fonts.h"
#include "zuve/zuve_png.h"

namespace {

using tinyxml2::XMLElement;

// Layers the tab switch leaves open for the default sound.
const std::set<std::string> kOpened = {"osc1KeytrackBtn", "osc2KeytrackBtn", "oscillator2Parameters",
                                       "oscillator3Parameters", "saveChangesLayer", "categoryLimit", "arpTempoKnob",
                                       "arpTempoClock"};
const std::set<std::string> kClosed = {"osc1UnisonKnob", "osc1AmpEnvFade", "osc2AmpEnvFade"};
const std::set<std::string> kLayerNames = {"layer", "fxlayer", "eg2layer", "lfo1layer", "lfo2layer", "voicelayer",
                                           "osccontrollayer", "modseq1layer", "modseq2layer", "modseq3layer"};

std::vector<int> numbers(const char* text)
{
    std::vector<int> values;
    const char* p = text ? text : "";
    while (*p) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p)
            break;
        values.push_back(int(v));
        p = end;
        while (*p == ',' || *p == ' ' || *p == ':')
            ++p;
    }
    values.resize(4, 0);
    return values;
}

class Preview {
public:
    Preview(const std::string& dir, int tab, XMLElement* lists, const std::string& configPath)
        : m_dir(dir), m_tab(tab)
    {
        std::string error;
        for (const PanelImage& image : panelImages(configPath, &error))
            m_images[image.name] = {image.file, image.frames, image.horizontal};
        for (XMLElement* l = lists ? lists->FirstChildElement("list") : nullptr; l; l = l->NextSiblingElement("list")) {
            auto& entries = m_lists[l->Attribute("name") ? l->Attribute("name") : ""];
            entries.clear();
            for (XMLElement* v = l->FirstChildElement("value"); v; v = v->NextSiblingElement("value"))
                entries.push_back(v->GetText() ? v->GetText() : "");
        }
        HGDIOBJ font = CreateFont(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "NK57 Monospace");
        m_mono.SetFromHFont(font);
    }

    ZUVE_MemBitmap surface{1500, 757};

    void walk(XMLElement* e, bool top)
    {
        for (; e; e = e->NextSiblingElement()) {
            const std::string name = e->Name();
            if (kLayerNames.count(name)) {
                const std::string layer = e->Attribute("name") ? e->Attribute("name") : "";
                if (shown(layer, e->IntAttribute("id"), top))
                    walk(e->FirstChildElement(), false);
                continue;
            }
            draw(e);
        }
    }

private:
    bool shown(const std::string& layer, int id, bool top) const
    {
        if (top)
            return layer == "root" || layer == "releaseAllLocksLayer" || (layer == "miniMixer" && m_tab % 4 != 0) ||
                   (m_tab >= 4 && m_windows.count(layer));
        if (layer.rfind("globalPage", 0) == 0 || layer == "librarianPage" || layer == "soundPage" || layer == "arpModPage")
            return id == m_tab % 4;
        if (kClosed.count(layer))
            return false;
        return kOpened.count(layer) || id == 0 || (id >= 200 && id < 300);
    }

    ZUVE_IBitmap* image(const std::string& name, int* frames)
    {
        auto it = m_images.find(name);
        if (it == m_images.end())
            return nullptr;
        *frames = it->second.frames;
        auto& bitmap = m_cache[name];
        if (!bitmap)
            bitmap.reset(ZUVE_LoadPNG((m_dir + "/" + it->second.file).c_str()));
        return bitmap.get();
    }

    void blit(const std::string& name, int x, int y, int frame, bool wholeStrip = false)
    {
        int frames = 1;
        ZUVE_IBitmap* b = image(name, &frames);
        if (!b)
            return;
        const bool horizontal = m_images[name].horizontal;
        const int fw = horizontal ? b->getWidth() / frames : b->getWidth();
        const int fh = horizontal ? b->getHeight() : b->getHeight() / frames;
        if (wholeStrip)
            ZUVE_Blit(&surface, b, x, y, 0, 0, fw, fh, 1.f, ZUVE_BLIT_USE_ALPHA);
        else
            ZUVE_Blit(&surface, b, x, y, horizontal ? frame * fw : 0, horizontal ? 0 : frame * fh, fw, fh, 1.f,
                      ZUVE_BLIT_USE_ALPHA);
    }

    void text(const std::string& t, std::vector<int> r, unsigned int colour)
    {
        m_mono.SetTextColor(colour);
        RECT rect{r[0], r[1], r[0] + r[2], r[1] + r[3]};
        m_mono.DrawText(&surface, t.c_str(), -1, &rect, DT_CENTER | DT_VCENTER);
    }

    std::string menuText(XMLElement* e, int value)
    {
        const std::vector<std::string>& list = m_lists[e->Attribute("valueList") ? e->Attribute("valueList") : ""];
        if (value >= 0 && value < int(list.size()))
            return list[size_t(value)];
        if (e->Attribute("valueDisplay"))
            return std::to_string(numbers(e->Attribute("valueDisplay"))[0] + value);
        return "----";
    }

    void draw(XMLElement* e)
    {
        const std::string name = e->Name();
        const std::string type = e->Attribute("type") ? e->Attribute("type") : "";
        const std::string img = e->Attribute("imageId") ? e->Attribute("imageId") : "";
        const std::vector<int> pos = numbers(e->Attribute(e->Attribute("bounds") ? "bounds" : "position"));
        const std::vector<int> vb = numbers(e->Attribute("valueBounds"));
        const bool menu = type == "seMenu" || type == "ccMenu" || type == "msbLsbMenu" || type == "Menu";
        if (name == "background") {
            blit(img, pos[0], pos[1], 0);
        } else if (name == "patchBrowser") {
            blit(img, pos[0], pos[1], 0);
            for (int i = 0; i < 100; ++i)
                for (int list = 0; list < 2; ++list)
                    slot("SOUND " + std::to_string(i + 1), pos[0] + list * 693 + (i / 25) * 158, pos[1] + 1 + (i % 25) * 18);
        } else if (name == "radio") {
            blit(img, pos[0], pos[1], 0);
            const bool mainTab = e->Attribute("paramId", "kMainTab");
            radioCell(img, pos[0], pos[1], e->IntAttribute("buttons"), mainTab ? m_tab % 4 : 2);
        } else if (menu) {
            const int h = type == "Menu" ? pos[3] : 13;
            const std::string param = e->Attribute("paramId") ? e->Attribute("paramId") : "";
            const bool dark = param == "kCurrentPatch" || param == "kCategoryName" || param == "kCurrentBank";
            if (e->IntAttribute("visible", 1) == 1 || type != "Menu")
                text(menuText(e, vb[0]), {pos[0], pos[1], pos[2], h}, dark ? panel::kNearBlack : panel::kAmber);
        } else if (name == "dropMenu") {
            if (type == "nameSelection")
                text(type == "nameSelection" ? "-- INIT --" : "", pos, panel::kNearBlack);
            else if (type == "deviceSelection")
                text("OFF", pos, panel::kBlue);
            else if (type == "dropSelection")
                text(menuText(e, vb[0]), pos, panel::kAmber);
            else
                text("User Bank 1.syx", pos, panel::kAmber);
        } else if (name == "display") {
            const int style = numbers(e->Attribute("displaySize"))[0];
            text(displayText(e), pos, style == 2 ? panel::kBlue : panel::kNearBlack);
        } else if (!img.empty() && m_images.count(img)) {
            int frames = 1;
            image(img, &frames);
            int frame = 0;
            if (name == "knobcontrol" || type == "Knob")
                frame = vb[2] > vb[1] ? int(std::lround(double(vb[0] - vb[1]) / (vb[2] - vb[1]) * (frames - 1))) : 0;
            else if (name == "switch" || name == "buttoncontrol" || type == "Switch")
                frame = vb[0] ? frames - 1 : 0;
            blit(img, pos[0], pos[1], frame);
        }
    }

    // What the displays show when the editor has just opened.
    static std::string displayText(XMLElement* e)
    {
        static const std::map<std::string, std::string> kAtStart = {{"kControlDisplayName", "Marnvik Zelto2X Plug-in"},
            {"kControlDisplayValue", "v1.1"}, {"kControlDisplayCC", "---"}, {"kControlDisplayCategory", "NONE"}};
        const auto it = kAtStart.find(e->Attribute("paramId") ? e->Attribute("paramId") : "");
        return it == kAtStart.end() ? std::string() : it->second;
    }

    // Draws button `active` of a radio group from the "on" frame.
    void radioCell(const std::string& name, int x, int y, int buttons, int active)
    {
        int frames = 1;
        ZUVE_IBitmap* b = image(name, &frames);
        if (!b || buttons < 1)
            return;
        const bool horizontal = m_images[name].horizontal;
        if (horizontal) {
            const int cw = b->getWidth() / 2, ch = b->getHeight() / buttons;
            ZUVE_Blit(&surface, b, x, y + active * ch, cw, active * ch, cw, ch, 1.f, ZUVE_BLIT_USE_ALPHA);
        } else {
            const int cw = b->getWidth() / buttons, ch = b->getHeight() / 2;
            ZUVE_Blit(&surface, b, x + active * cw, y, active * cw, ch, cw, ch, 1.f, ZUVE_BLIT_USE_ALPHA);
        }
    }

    void slot(const std::string& t, int x, int y)
    {
        m_mono.SetTextColor(ZUVE_RGBA(255, 255, 255, 255));
        RECT rect{x, y, x + 120, y + 18};
        m_mono.DrawText(&surface, t.c_str(), -1, &rect, DT_LEFT | DT_VCENTER);
    }

    std::string m_dir;
    int m_tab;  // 4 to 7: the tab with the windows open over it
    const std::set<std::string> m_windows = {"midiFilterSettings", "aboutWindow", "firstRunNotification"};
    struct ImageFile {
        std::string file;
        int frames = 1;
        bool horizontal = false;
    };
    std::map<std::string, std::vector<std::string>> m_lists;
    std::map<std::string, ImageFile> m_images;
    std::map<std::string, std::unique_ptr<ZUVE_IBitmap>> m_cache;
    ZUVE_CachedFont m_mono;
};

}  // namespace

bool RenderPanelPreview(const std::string& configPath, const std::string& imageDir, int tab, const std::string& outPath)
{
    tinyxml2::XMLDocument doc;
    if (doc.LoadFile(configPath.c_str()) != tinyxml2::XML_SUCCESS || !doc.FirstChildElement("uiconfig"))
        return false;
    XMLElement* root = doc.FirstChildElement("uiconfig");
    Preview preview(imageDir, tab, root->FirstChildElement("valueLists"), configPath);
    std::unique_ptr<ZUVE_IBitmap> frame(ZUVE_LoadPNG((imageDir + "/main-frame-bg.png").c_str()));
    if (!frame)
        return false;
    ZUVE_Blit(&preview.surface, frame.get(), 0, 0, 0, 0, 1500, 757, 1.f, 0);
    preview.walk(root->FirstChildElement(), true);
    return WriteBitmapPNG(outPath, &preview.surface, false);
}
