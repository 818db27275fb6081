#include "PanelLayout.h"

#include <tinyxml2.h>

#include <cstdio>
#include <cstring>

namespace panel {
namespace {

const char* const kLayerElements[] = {"layer", "fxlayer", "eg2layer", "lfo1layer", "lfo2layer", "voicelayer",
                                      "osccontrollayer", "modseq1layer", "modseq2layer", "modseq3layer", "multilayer"};
const char* const kMenuTypes[] = {"seMenu", "ccMenu", "msbLsbMenu", "dropSelection"};

bool oneOf(const char* value, const char* const* list, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (value && std::strcmp(value, list[i]) == 0)
            return true;
    return false;
}

std::vector<int> numbers(const char* text)
{
    std::vector<int> values;
    if (!text)
        return values;
    const char* p = text;
    while (*p) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p)
            break;
        values.push_back(int(v));
        p = end;
        while (*p == ',' || *p == ' ')
            ++p;
    }
    return values;
}

std::string attr(const tinyxml2::XMLElement* e, const char* name)
{
    const char* v = e->Attribute(name);
    return v ? v : "";
}

class Walker {
public:
    Walker(std::map<std::string, Canvas>& canvases, const std::string& frame, const FrameSizeFn& size)
        : m_canvases(canvases), m_frame(frame), m_size(size)
    {
        m_canvases[frame] = Canvas{frame, 0, 0, {}};
    }

    void walk(const tinyxml2::XMLElement* first, const std::string& canvas, bool inLayer)
    {
        std::string current = canvas;
        for (const tinyxml2::XMLElement* e = first; e; e = e->NextSiblingElement()) {
            // Only a layer's leading background is its canvas; later ones are pictures over controls.
            const bool leading = e == first;
            const char* name = e->Name();
            if (oneOf(name, kLayerElements, sizeof kLayerElements / sizeof *kLayerElements)) {
                const std::string outer = m_layers;
                m_layers += (m_layers.empty() ? "" : "/") + attr(e, "name");
                walk(e->FirstChildElement(), current, true);
                m_layers = outer;
                continue;
            }
            if (std::strcmp(name, "background") == 0) {
                const std::vector<int> p = numbers(e->Attribute("position"));
                if (inLayer && leading && p.size() >= 2 && !m_canvases.count(attr(e, "imageId"))) {
                    current = attr(e, "imageId");
                    m_canvases[current] = Canvas{current, p[0], p[1], {}};
                }
                continue;
            }
            decorate(e, m_canvases[current]);
        }
    }

private:
    void add(Canvas& c, Decoration d)
    {
        d.layers = m_layers;
        d.rect.x -= c.x;
        d.rect.y -= c.y;
        c.items.push_back(d);
    }

    Rect controlRect(const tinyxml2::XMLElement* e) const
    {
        const std::string type = attr(e, "type");
        std::vector<int> pos = numbers(e->Attribute(e->Attribute("bounds") ? "bounds" : "position"));
        pos.resize(4, 0);
        const bool menu = oneOf(type.c_str(), kMenuTypes, 4) || type == "Menu" || type == "textSelection" ||
                          type == "nameSelection" || type == "deviceSelection" || std::strcmp(e->Name(), "display") == 0;
        if (menu) {
            const bool fixedHeight = type == "seMenu" || type == "ccMenu" || type == "msbLsbMenu";
            return Rect{pos[0], pos[1], pos[2], fixedHeight ? 13 : pos[3]};
        }
        Rect r = m_size(attr(e, "imageId"));
        r.x = pos[0];
        r.y = pos[1];
        return r;
    }

    void decorate(const tinyxml2::XMLElement* e, Canvas& c)
    {
        const std::string name = e->Name();
        const std::vector<int> b = numbers(e->Attribute("bounds"));
        if (name == "panel" && b.size() == 4) {
            add(c, {Decoration::Kind::Section, {b[0], b[1], b[2], b[3]}, attr(e, "title"), "", 0, ""});
            return;
        }
        if (name == "lcd" && b.size() == 4) {
            std::vector<int> margin = numbers(e->Attribute("margin"));
            margin.resize(2, margin.empty() ? 0 : margin[0]);
            const Rect box{b[0] - margin[0], b[1] - margin[1], b[2] + 2 * margin[0], b[3] + 2 * margin[1]};
            add(c, {Decoration::Kind::Display, box, "", attr(e, "style"), 0, ""});
            if (e->Attribute("label"))
                add(c, {Decoration::Kind::Label, box, attr(e, "label"), "below", 1, ""});
            return;
        }
        if (name == "text" && b.size() >= 3) {
            const std::string align = attr(e, "align");
            add(c, {Decoration::Kind::Text, {b[0], b[1], b[2], b.size() >= 4 ? b[3] : 0}, attr(e, "text"),
                    attr(e, "style"), align == "left" ? 0 : align == "right" ? 2 : 1, ""});
            return;
        }
        const std::string type = attr(e, "type");
        const Rect r = controlRect(e);
        const bool field = oneOf(type.c_str(), kMenuTypes, 4) || (type == "Menu" && e->Attribute("label"));
        if (field)
            add(c, {Decoration::Kind::MenuField, {r.x - 4, r.y - 4, r.w + 20, r.h + 8}, "", "", 0, ""});
        if (e->Attribute("glyph"))
            add(c, {Decoration::Kind::Glyph, r, attr(e, "glyph"), "", 1, ""});
        if (!e->Attribute("label"))
            return;
        const std::string at = attr(e, "labelPos").empty() ? "below" : attr(e, "labelPos");
        // A label above a button or knob sits where it sits above a menu's
        // field, so a row of menus and buttons reads on one line.
        Rect labelled = field ? Rect{r.x - 4, r.y - 4, r.w + 20, r.h + 8} : r;
        if (!field && at == "above")
            labelled = {r.x, r.y - 4, r.w, r.h + 4};
        add(c, {Decoration::Kind::Label, labelled, attr(e, "label"), at, 1, ""});
    }

    std::map<std::string, Canvas>& m_canvases;
    std::string m_frame;
    FrameSizeFn m_size;
    std::string m_layers;
};

}  // namespace

std::map<std::string, Canvas> readPanelLayout(const std::string& path, const std::string& frameImage,
                                              const FrameSizeFn& frameSize, std::string* error)
{
    std::map<std::string, Canvas> canvases;
    tinyxml2::XMLDocument doc;
    if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS || !doc.FirstChildElement("uiconfig")) {
        if (error)
            *error = doc.ErrorStr() ? doc.ErrorStr() : "no uiconfig element";
        return canvases;
    }
    Walker(canvases, frameImage, frameSize).walk(doc.FirstChildElement("uiconfig")->FirstChildElement(), frameImage,
                                                 false);
    return canvases;
}

}  // namespace panel

namespace panel {

std::vector<std::string> readValueList(const std::string& path, const std::string& name)
{
    std::vector<std::string> entries;
    tinyxml2::XMLDocument doc;
    if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS)
        return entries;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("uiconfig");
    const tinyxml2::XMLElement* lists = root ? root->FirstChildElement("valueLists") : nullptr;
    for (const tinyxml2::XMLElement* l = lists ? lists->FirstChildElement("list") : nullptr; l;
         l = l->NextSiblingElement("list")) {
        if (attr(l, "name") != name)
            continue;
        entries.clear();
        for (const tinyxml2::XMLElement* v = l->FirstChildElement("value"); v; v = v->NextSiblingElement("value"))
            entries.push_back(v->GetText() ? v->GetText() : "");
    }
    return entries;
}

}  // namespace panel
