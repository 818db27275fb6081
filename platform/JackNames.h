#pragma once
// The names libjack gives a server's and its clients' files in /dev/shm, for
// the port layer and the JACK tests' support: one rule for both of JACK's
// namings. JACK_PROMISCUOUS_SERVER, set at all (even empty: libjack only asks
// whether it is set), marks a server shared between users and leaves the
// user ID out of every name; a server and its clients see each other only
// when both have it. The session scripts follow the same rule
// (scripts/lib/midi-services.sh, jack_shm_name).

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace platform {

// "UID_", or nothing for a server shared between users.
inline std::string JackNameUserPart()
{
    return std::getenv("JACK_PROMISCUOUS_SERVER") ? std::string() : std::to_string(getuid()) + "_";
}

// The socket a server of that name listens on, or a client of that name
// takes its server's notifications on.
inline std::string JackSocketPath(const std::string& name)
{
    return "/dev/shm/jack_" + name + "_" + JackNameUserPart() + "0";
}

// The start of the names of server `server`'s semaphores in /dev/shm, one a
// client; each client's name completes one.
inline std::string JackSemaphorePrefix(const std::string& server)
{
    return "jack_sem." + JackNameUserPart() + server + "_";
}

}  // namespace platform
