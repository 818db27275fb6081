#pragma once
// Where libjack's messages go, for the port layer and the JACK tests'
// support. libjack prints them on its own threads and ends some of those at
// any moment (it cancels a client's notification thread as the client
// closes): one ended inside stdio's printing leaves that stream's lock taken
// for good, and every later print of the process waits for ever. So they go
// out through plain writes, which take no lock.

#include <sys/uio.h>

#include <cstring>

namespace platform {

// The text and a line end, in one write.
inline void WriteLineWithoutStdio(int fd, const char* text)
{
    iovec parts[2] = {{const_cast<char*>(text), std::strlen(text)}, {const_cast<char*>("\n"), 1}};
    static_cast<void>(writev(fd, parts, 2));
}

}  // namespace platform
