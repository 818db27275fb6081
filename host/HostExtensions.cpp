#include "HostExtensions.h"

namespace host {

namespace {

std::vector<HostExtension>& extensions()
{
    static std::vector<HostExtension> list;
    return list;
}

}  // namespace

bool RegisterHostExtension(const HostExtension& extension)
{
    extensions().push_back(extension);
    return true;
}

const std::vector<HostExtension>& RegisteredHostExtensions() { return extensions(); }

}  // namespace host
