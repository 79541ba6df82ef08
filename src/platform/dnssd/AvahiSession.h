#pragma once

#include <avahi-client/client.h>
#include <avahi-common/thread-watch.h>

#include <functional>

namespace hb {

// An Avahi event loop on a thread of its own, with one client that is made on that thread so that
// connecting never blocks the caller. Used by this library only.
//
// Avahi calls everything back on that thread with the loop's lock held: the state handler as well
// as the browsers and resolvers made on the client. The destructor stops and joins the thread
// before freeing the client, which frees those browsers and resolvers too; nothing is called back
// after it has begun.
class AvahiSession final {
public:
    // `client` is null, in the FAILURE state, when none could be made.
    using StateHandler = std::function<void(AvahiClient *client, AvahiClientState state)>;

    AvahiSession(const char *threadName, AvahiClientFlags flags, StateHandler onState);
    ~AvahiSession();
    AvahiSession(const AvahiSession &) = delete;
    AvahiSession &operator=(const AvahiSession &) = delete;

    // Starts the thread, which then makes the client. False when it cannot run; nothing is
    // called back then.
    bool start();

private:
    static void onStart(AvahiTimeout *timeout, void *userdata);
    static void onClientState(AvahiClient *client, AvahiClientState state, void *userdata);

    const char *const m_threadName;
    const AvahiClientFlags m_flags;
    const StateHandler m_onState;
    AvahiThreadedPoll *m_poll = nullptr;
    AvahiClient *m_client = nullptr; // written on the Avahi thread only
};

} // namespace hb
