// What both window-system back ends share: scripted answers and screen captures.
#include "platform/CocoaWindowSystem.h"

#include <png.h>
#include <strings.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

std::vector<std::string> splitPath(const std::string& answer)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t slash = answer.find('/', start);
        parts.push_back(answer.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            return parts;
        start = slash + 1;
    }
}

bool isIndex(const std::string& text)
{
    if (text.empty() || text.size() > 6)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// "01: Bank A" -> "Bank A"; titles without a number prefix stay as they are.
std::string withoutNumberPrefix(const std::string& title)
{
    size_t i = 0;
    while (i < title.size() && title[i] >= '0' && title[i] <= '9')
        ++i;
    if (i > 0 && title.compare(i, 2, ": ") == 0)
        return title.substr(i + 2);
    return title;
}

int findItem(const Menu& menu, const std::string& part)
{
    if (isIndex(part))
        return std::atoi(part.c_str());
    for (size_t i = 0; i < menu.items.size(); ++i) {
        const MenuItem& item = menu.items[i];
        if (!item.separator && (item.title == part || withoutNumberPrefix(item.title) == part))
            return static_cast<int>(i);
    }
    return -1;
}

template <typename T>
bool takeFront(std::vector<T>* queue, T* value)
{
    if (queue->empty())
        return false;
    *value = queue->front();
    queue->erase(queue->begin());
    return true;
}

}  // namespace

bool ResolveMenuAnswer(const Menu& menu, const std::string& answer, MenuChoice* choice)
{
    if (answer == "none" || answer.empty())
        return false;
    const Menu* current = &menu;
    const std::vector<std::string> parts = splitPath(answer);
    for (size_t p = 0; p < parts.size(); ++p) {
        const int index = findItem(*current, parts[p]);
        if (index < 0 || index >= static_cast<int>(current->items.size()))
            return false;
        const MenuItem& item = current->items[static_cast<size_t>(index)];
        const bool last = p + 1 == parts.size();
        if (!last) {
            if (!item.submenu)
                return false;
            current = item.submenu.get();
            continue;
        }
        if (item.submenu || item.separator || !item.enabled)
            return false;
        choice->menu = current;
        choice->index = index;
        return true;
    }
    return false;
}

bool WindowSystem::TakeMenuAnswer(const Menu& menu, bool* chosen, MenuChoice* choice)
{
    // Menus opened by code that runs no script would collect notes forever.
    const size_t kMaxNotes = 16;
    std::string answer;
    if (!takeFront(&mMenuAnswers, &answer)) {
        if (mMenuNotes.size() < kMaxNotes)
            mMenuNotes.push_back("a popup menu opened with no answer queued: give menu CHOICE before the event "
                                 "that opens it");
        return false;
    }
    *chosen = ResolveMenuAnswer(menu, answer, choice);
    if (!*chosen && answer != "none" && !answer.empty() && mMenuNotes.size() < kMaxNotes)
        mMenuNotes.push_back("the menu answer \"" + answer + "\" names no enabled item of the menu that opened");
    return true;
}

bool WindowSystem::TakeFilePanelAnswer(bool* ok, std::string* path)
{
    std::string answer;
    if (!takeFront(&mFileAnswers, &answer))
        return false;
    *ok = !answer.empty();
    *path = answer;
    return true;
}

bool WindowSystem::TakeAlertAnswer(const AlertRequest& request, AlertResponse* response)
{
    std::string answer;
    if (!takeFront(&mAlertAnswers, &answer))
        return false;
    if (answer == "default")
        *response = AlertResponse::Default;
    else if (answer == "alternate" && !request.alternateButton.empty())
        *response = AlertResponse::Alternate;
    else if (answer == "other" && !request.otherButton.empty())
        *response = AlertResponse::Other;
    else
        *response = AlertResponse::None;
    return true;
}

namespace {

// "&OK    " -> "OK": how a script names a button.
std::string buttonName(const std::string& text)
{
    std::string name;
    for (char c : text)
        if (c != '&')
            name += c;
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

}  // namespace

bool WindowSystem::TakeDialogAnswer(const DialogRequest& request, int* command)
{
    std::string answer;
    if (!takeFront(&mDialogAnswers, &answer))
        return false;
    *command = kDialogCommandClose;
    if (answer == "return")
        *command = kDialogCommandReturn;
    for (const DialogItem& item : request.items)
        if (item.kind == DialogItemKind::Button && (answer == buttonName(item.text) || answer == std::to_string(item.id)))
            *command = item.id;
    return true;
}

bool WriteScreenPNG(const std::string& path, const uint32_t* pixels, int rowSpan, int width, int height)
{
    if (!pixels || width <= 0 || height <= 0 || rowSpan < width)
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    volatile bool ok = false;
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(pixels + static_cast<size_t>(y) * rowSpan);
            for (int x = 0; x < width; ++x) {
                row[static_cast<size_t>(x) * 3 + 0] = bytes[x * 4 + 1];
                row[static_cast<size_t>(x) * 3 + 1] = bytes[x * 4 + 2];
                row[static_cast<size_t>(x) * 3 + 2] = bytes[x * 4 + 3];
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

std::string WithAllowedExtension(const std::string& path, const std::vector<std::string>& types)
{
    if (types.empty() || path.empty())
        return path;
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        const std::string extension = path.substr(dot + 1);
        for (const std::string& type : types)
            if (strcasecmp(extension.c_str(), type.c_str()) == 0)
                return path;
    }
    return path + "." + types.front();
}

std::string ExpandHomeFolder(const std::string& path)
{
    if (path.empty() || path[0] != '~' || (path.size() > 1 && path[1] != '/'))
        return path;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + path.substr(1);
}

}  // namespace platform
