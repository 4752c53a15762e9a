#pragma once

#include <ares.h>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace cvt {

class SocketApi;

// Readies the resolver library, once per process; ARES_SUCCESS or why it cannot be used.
int aresLibraryStatus();

// A server as the library's server list names it: "192.0.2.1:53" or "[2001:db8::1]:53".
std::string aresServerAddress(const std::string& address, std::uint16_t port);

// A resolver channel and the sockets it asks to have watched. Destroying it ends every question
// under way: their callbacks run with ARES_EDESTRUCTION.
class AresChannel {
public:
    AresChannel() = default;
    ~AresChannel();
    AresChannel(const AresChannel&) = delete;
    AresChannel& operator=(const AresChannel&) = delete;

    // Makes the channel from the caller's settings, with this object's socket callback put in;
    // returns the library's status.
    int init(ares_options settings, int mask);
    // Asks these servers (a list aresServerAddress entries joined by commas) instead of the
    // system's resolvers.
    int setServers(const std::string& list);
    ares_channel get() const { return m_channel; }

    // Waits until one of watchFds turns readable, a socket of the channels is ready, or the earliest
    // time-out of their questions comes (no time-out while none has a question); then lets each
    // channel read what arrived and expire the tries that have run out. Returns the index in
    // watchFds of the first readable descriptor, -1 when none was.
    static int waitAndProcess(SocketApi& api, const std::vector<int>& watchFds,
                              const std::vector<AresChannel*>& channels);

private:
    static void onSocketState(void* data, ares_socket_t fd, int readable, int writable);

    ares_channel m_channel = nullptr;
    std::map<ares_socket_t, short> m_sockets;
};

} // namespace cvt
