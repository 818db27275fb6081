// Loading, deciphering and parsing the two configuration resources: the SysEx
// templates and the value lists. The only place besides the tree walk that
// talks to tinyxml2.

#include <cstdio>
#include <cstring>

#include <tinyxml2.h>

#include "ConfigCipher.h"
#include "IGraphics.h"
#include "IPluginBase.h"
#include "UIConfigManager.h"

namespace {

constexpr int kUIConfigResourceId = 100;
constexpr int kSysExResourceId = 101;
constexpr const char* kUIConfigResource = "resources/uiconfig.tea";
constexpr const char* kSysExResource = "resources/sysex.tea";
// The surface loads at most this much of a resource.
constexpr int kMaxResourceSize = 4096000;

const char* textOf(const tinyxml2::XMLElement* element)
{
    const char* text = element->GetText();
    return text ? text : "";
}

}  // namespace

std::string UIConfigManager::loadConfigText(int id, const char* name)
{
    if (!m_graphics)
        return std::string();
    char* buffer = static_cast<char*>(m_graphics->LoadFile(id, name));
    // A failed load leaves the surface's loaded size at the previous file's
    // size; reading that many bytes of nothing would be wrong, so it counts as 0.
    int size = buffer ? m_graphics->GetLoadedFileSize() : 0;
    if (size > kMaxResourceSize)
        size = kMaxResourceSize;
    std::string text = decipherConfigText(reinterpret_cast<const unsigned char*>(buffer), size);
    delete[] buffer;
    return text;
}

void UIConfigManager::readConfiguration(IGraphics* graphics, IPluginBase* plug, double scale)
{
    m_graphics = graphics;
    m_plug = plug;
    m_scale = scale;
    m_layerCopiesMade = 0;
    if (!graphics || !plug) {
        std::printf("configuration not read: no surface or plug-in\n");
        return;
    }
    readSysexValues();
    initImages(graphics);
    if (m_paramNames.empty())
        initParams();

    const std::string text = loadConfigText(kUIConfigResourceId, kUIConfigResource);
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    document.Parse(text.c_str());
    readReasources(&document);
    if (tinyxml2::XMLElement* root = document.FirstChildElement("uiconfig"))
        processXMLElement(root->FirstChild(), nullptr, -1);
}

void UIConfigManager::readSysexValues()
{
    logLine("CONFIG READER: Started to read SysEx Data...");
    const std::string text = loadConfigText(kSysExResourceId, kSysExResource);
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    document.Parse(text.c_str());
    tinyxml2::XMLElement* root = document.FirstChildElement("sysexlist");
    tinyxml2::XMLElement* first = root ? root->FirstChildElement("sysex") : nullptr;
    // Every sibling after the first `sysex` counts, whatever its name: its
    // position is the sysexIndex the controls name.
    for (tinyxml2::XMLElement* sysex = first; sysex; sysex = sysex->NextSiblingElement()) {
        SysExContainer container;
        for (tinyxml2::XMLElement* values = sysex->FirstChildElement("values"); values;
             values = values->NextSiblingElement()) {
            if (tinyxml2::XMLElement* value = values->FirstChildElement("value")) {
                Values entry;
                for (; value; value = value->NextSiblingElement()) {
                    // A text-less value keeps its place as a blank, which gives an empty message.
                    const char* text = value->GetText();
                    entry.messages.push_back(text ? text : " ");
                }
                container.values.push_back(entry);
            } else {
                std::vector<Values> list;
                for (tinyxml2::XMLElement* multi = values->FirstChildElement("multivalue"); multi;
                     multi = multi->NextSiblingElement()) {
                    Values entry;
                    for (tinyxml2::XMLElement* v = multi->FirstChildElement("value"); v; v = v->NextSiblingElement())
                        entry.messages.push_back(textOf(v));
                    list.push_back(entry);
                }
                container.multiValues.push_back(list);
                container.isMultiValue = true;
            }
        }
        m_sysExTemplates.push_back(container);
    }
    logLine("CONFIG READER: Completed reading SysEx data!");
}

void UIConfigManager::readReasources(tinyxml2::XMLDocument* document)
{
    tinyxml2::XMLElement* root = document ? document->FirstChildElement("uiconfig") : nullptr;
    tinyxml2::XMLElement* lists = root ? root->FirstChildElement("valueLists") : nullptr;
    if (!lists)
        return;
    for (tinyxml2::XMLElement* list = lists->FirstChildElement(); list; list = list->NextSiblingElement()) {
        if (std::strcmp(list->Name(), "list") != 0)
            continue;
        std::vector<std::string> entries;
        for (tinyxml2::XMLElement* value = list->FirstChildElement("value"); value;
             value = value->NextSiblingElement("value"))
            entries.push_back(textOf(value));
        const char* name = list->Attribute("name");
        m_valueLists[name ? name : ""] = std::move(entries);
    }
}
