// Reads outside bytes as a datagram of the kernel's socket diagnostics answer
// and as the text of /proc/net/unix. Every read must stay inside the bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/JackServerSockets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<platform::UnixSocket> sockets;
    platform::ReadSocketDiagnostics(data, size, sockets);
    sockets = platform::ReadProcNetUnix(std::string(data, data + size));
    return 0;
}
