#include "platform/DataFolder.h"

#include <cstdlib>

namespace platform {

namespace {

std::string withTrailingSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string nonEmptyEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

std::string DataFolderPath()
{
    const std::string overridden = nonEmptyEnv("ZELTO2X_DATA_FOLDER");
    if (!overridden.empty())
        return withTrailingSlash(overridden);

    std::string base = nonEmptyEnv("XDG_DATA_HOME");
    if (base.empty()) {
        const std::string home = nonEmptyEnv("HOME");
        base = (home.empty() ? std::string(".") : home) + "/.local/share";
    }
    return withTrailingSlash(base) + "Vantorel/Marnvik Zelto2X Editor/";
}

}  // namespace platform
