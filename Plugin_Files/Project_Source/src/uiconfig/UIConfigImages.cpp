// The image table: every bitmap the configuration names, preloaded into the
// surface's bitmap cache at the manager's scale and handed out by name.

#include <cstdio>

#include "IGraphics.h"
#include "UIConfigManager.h"

namespace {

struct ImageRow {
    const char* name;
    int id;
    const char* file;
    int frames;
    bool horizontal;
};

const ImageRow kImageTable[] = {
    {"MANAGER_BG_ID2", 117, "resources/img/manager_bg_blank.png", 1, true},
    {"BG_ID_PLAIN", 102, "resources/img/main-frame-bg.png", 1, true},
    {"BG_ID_DISPLAY", 104, "resources/img/main-display.png", 1, true},
    {"BG_ID_EDIT", 105, "resources/img/layer-main.png", 1, true},
    {"BG_ID_BROWSER", 106, "resources/img/browser-layer.png", 1, true},
    {"KNOB_ID21", 120, "resources/img/knob-zelto2x-normal-21.png", 21, false},
    {"KNOB_ID97", 121, "resources/img/knob-zelto2x-normal-97.png", 97, false},
    {"KNOB_ID127_FC", 122, "resources/img/knob-zelto2x-normal-fc.png", 128, false},
    {"KNOB_ID127", 123, "resources/img/knob-zelto2x-normal.png", 128, false},
    {"BUTTON_LIB_DISCARD_ID", 204, "resources/img/btn-lib-discard-edit.png", 1, true},
    {"BUTTON_LIB_CANCEL_ID", 205, "resources/img/btn-cancel-request.png", 1, true},
    {"PROGRESS_INDICATOR_ID", 118, "resources/img/overlayer.png", 1, true},
    {"BUTTON_LOCK_WHITE_ID", 200, "resources/img/btn-lock-white.png", 2, false},
    {"BUTTON_LOCK_BLACK_ID", 199, "resources/img/btn-lock-black.png", 2, false},
    {"BG_RENAME_ID", 326, "resources/img/newNameBG.png", 1, true},
    {"BTN_18x18_ID", 332, "resources/img/btn-18x18.png", 1, true},
    {"BTN_127x18_ID", 258, "resources/img/btn-127x18.png", 1, true},
    {"BTN_RADIO_ARP_ID", 140, "resources/img/event-radio.png", 2, true},
    {"KNOB_PERCENTAGE_ID", 141, "resources/img/time-slider.png", 4, false},
    {"BTN_ON_OFF_ARP_ID", 142, "resources/img/on-off-button.png", 2, false},
    {"BG_ABOUT_ID", 400, "resources/img/about-Zelto2X.png", 1, true},
    {"BTN_EXIT_ABOUT_ID", 401, "resources/img/about-exit.png", 1, true},
    {"BTN_SEE_ABOUT_ID", 402, "resources/img/about-trigger.png", 1, true},
    {"BG_FIRST_RUN_ID", 403, "resources/img/first-run-Zelto2X.png", 1, true},
    {"BTN_EXIT_FIRST_RUN_ID", 404, "resources/img/first-run-exit.png", 1, true},
    {"BG_ID_MIDI_FILTERS", 418, "resources/img/advanced-midi-filters.png", 1, true},
    {"BTN_CHECKBOX_ID", 419, "resources/img/checkbox-button.png", 2, false},
    {"BUTTON_BANK_SEARCH_ID", 999, "resources/img/btn-search.png", 2, false},
    {"BG_SEARCH_FIELD_ID", 998, "resources/img/bg-librarian-search-field.png", 1, true},
    {"BG_ID_MAIN", 500, "resources/img/main-bg-black.png", 1, true},
    {"LED_SINGLE_ID", 129, "resources/img/singleledred.png", 2, false},
    {"LED_FEM_ID", 130, "resources/img/led-fem.png", 5, false},
    {"LED_QUAD_ID", 131, "resources/img/quadledred.png", 4, false},
    {"LED_TEN_ID", 132, "resources/img/led-ten.png", 10, false},
    {"LED_SEVEN_ID", 138, "resources/img/led-seven.png", 7, false},
    {"LED_SEVEN_PROT_ID", 139, "resources/img/led-seven-protect.png", 1, true},
    {"LED_SINGLE_PROT_ID", 133, "resources/img/single-led-protector.png", 1, true},
    {"LED_FEM_PROT_ID", 134, "resources/img/led-fem-protect.png", 1, true},
    {"LED_TEN_PROT_ID", 135, "resources/img/led-ten-protect.png", 1, true},
    {"LED_QUAD_PROT_ID", 136, "resources/img/quad-led-protector.png", 1, true},
    {"LED_SINGLE_G_ID", 137, "resources/img/singleledgreen.png", 2, false},
    {"BG_ID_ARPEGGIATOR", 107, "resources/img/layer-arp-mod-matrix.png", 1, true},
    {"BG_ARP_KNOB_ID", 115, "resources/img/tempo-knob-layer.png", 1, true},
    {"BG_ARP_SYNC_ID", 116, "resources/img/tempo-sync-layer.png", 1, true},
    {"BTN_OFFON_ID", 316, "resources/img/btn-lib-display-categories.png", 2, false},
    {"BG_ID_CATEGORY_FILTER", 317, "resources/img/categoryFilterBG.png", 1, true},
    {"BG_EVENT_OVERLAYER", 144, "resources/img/event-overlayer.png", 1, true},
    {"BG_ID_KEYTRACK", 318, "resources/img/bg_keytrack.png", 1, true},
    {"BG_ID_UNISON", 319, "resources/img/bg_unison_detune.png", 1, true},
    {"BG_ID_ENV_FADE", 320, "resources/img/bg_vca_env_fade.png", 1, true},
    {"BG_LFO1_CLOCK", 321, "resources/img/clockedBG.png", 1, true},
    {"BG_TEMPO_KNOB", 322, "resources/img/tempoKnobBG.png", 1, true},
    {"BG_TEMPO_CLOCK", 323, "resources/img/arpClockBG.png", 1, true},
    {"BUTTON_BANK_OVERWRITE_ID", 996, "resources/img/btn-overwrite-slot.png", 1, true},
    {"BUTTON_SML_LED_ID", 304, "resources/img/button-small-led.png", 2, false},
    {"BUTTON_SMALL_ID", 305, "resources/img/button-small.png", 2, false},
    {"BTN_RELEASE_ALL_LOCKS", 143, "resources/img/release-all-locks.png", 1, true},
};

}  // namespace

void UIConfigManager::initImages(IGraphics* graphics)
{
    logLine("CONFIG READER: Started to read image resources...");
    for (const ImageRow& row : kImageTable)
        preloadImage(graphics, row.id, row.name, row.file, row.frames, row.horizontal);
    logLine("CONFIG READER: Completed!");
}

void UIConfigManager::preloadImage(IGraphics* graphics, int id, const char* name, const char* file, int frames,
    bool horizontal)
{
    if (m_releaseImages) {
        // Controls hold these bitmaps: freeing one would leave them drawing
        // freed pixels, so the release refreshes the pixels in place instead.
        if (graphics)
            graphics->ReloadBitmap(id, file, m_scale);
        return;
    }
    // Bitmaps are cached with stacked frames whatever the table says: the
    // horizontal flag only matters when a control asks for the bitmap by name.
    if (graphics)
        graphics->LoadIBitmap(id, file, m_scale, frames, false);
    m_images[name] = ImageInfo{id, frames, horizontal};
}

void UIConfigManager::ClearImageCache()
{
    m_releaseImages = true;
    initImages(m_graphics);
    m_releaseImages = false;
}

IBitmap UIConfigManager::getImageByName(IGraphics* graphics, const std::string& name)
{
    auto hit = m_images.find(name);
    if (hit != m_images.end() && graphics)
        return graphics->getImageById(hit->second.id, hit->second.frames, hit->second.horizontal);
    if (hit == m_images.end()) {
        logLine("CONFIG READER: Image " + name + " MISSING!");
        std::printf("image '%s' NOT FOUND!!\n", name.c_str());
    }
    return IBitmap();
}

const ImageInfo* UIConfigManager::findImageInfo(const std::string& name) const
{
    auto hit = m_images.find(name);
    return hit == m_images.end() ? nullptr : &hit->second;
}
