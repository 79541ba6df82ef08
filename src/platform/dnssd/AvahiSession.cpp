#include "platform/dnssd/AvahiSession.h"

#include <avahi-common/thread-watch.h>
#include <avahi-common/timeval.h>

#include <pthread.h>

namespace hb {

AvahiSession::AvahiSession(const char *threadName, AvahiClientFlags flags, StateHandler onState)
    : m_threadName(threadName), m_flags(flags), m_onState(std::move(onState))
{
}

AvahiSession::~AvahiSession()
{
    if (!m_poll)
        return;
    avahi_threaded_poll_stop(m_poll); // joins the thread: no callback runs after this
    if (m_client)
        avahi_client_free(m_client);
    avahi_threaded_poll_free(m_poll); // frees the start timeout too
}

bool AvahiSession::start()
{
    m_poll = avahi_threaded_poll_new();
    if (!m_poll)
        return false;
    const AvahiPoll *api = avahi_threaded_poll_get(m_poll);
    timeval now{};
    return api->timeout_new(api, avahi_elapse_time(&now, 0, 0), &AvahiSession::onStart, this) &&
           avahi_threaded_poll_start(m_poll) >= 0;
}

void AvahiSession::onStart(AvahiTimeout *, void *userdata)
{
    auto *self = static_cast<AvahiSession *>(userdata);
    pthread_setname_np(pthread_self(), self->m_threadName);
    // Assigned even when null: a client that failed while being made has been freed already.
    self->m_client = avahi_client_new(avahi_threaded_poll_get(self->m_poll), self->m_flags,
                                      &AvahiSession::onClientState, self, nullptr);
    if (!self->m_client)
        self->m_onState(nullptr, AVAHI_CLIENT_FAILURE);
}

void AvahiSession::onClientState(AvahiClient *client, AvahiClientState state, void *userdata)
{
    auto *self = static_cast<AvahiSession *>(userdata);
    self->m_client = client; // the first call comes before avahi_client_new() returns
    self->m_onState(client, state);
}

} // namespace hb
