#include "platform/dnssd/AvahiServicePublisher.h"

#include "platform/dnssd/ServiceDiscoveryLogging.h"

#include <QByteArray>
#include <QMetaObject>
#include <QPointer>

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>
#include <avahi-common/timeval.h>

#include <pthread.h>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

constexpr unsigned kRetryMsec = 5000; // how often a missing system bus is looked for again
constexpr int kMaxRenames = 50;       // alternative names tried when the name is taken locally

QString describe(int avahiError)
{
    if (avahiError == AVAHI_ERR_NO_DAEMON || avahiError == AVAHI_ERR_DISCONNECTED)
        return u"The DNS-SD daemon is not running"_s;
    return QString::fromUtf8(avahi_strerror(avahiError));
}

} // namespace

// What the Avahi thread works on. From start() until the destructor has joined the thread it is
// used only there (Avahi runs every callback on that thread with the poll lock held).
struct AvahiServicePublisher::Session {
    Session(AvahiServicePublisher *publisher, quint64 sessionId, QByteArray instanceName,
            QByteArray serviceType, quint16 servicePort)
        : owner(publisher), id(sessionId), name(std::move(instanceName)),
          type(std::move(serviceType)), port(servicePort)
    {
    }
    ~Session();

    bool start();
    void connect();
    void retryIn(unsigned msec);
    void registerService(AvahiClient *avahiClient);
    void takeAlternativeName();
    void report(State state, const QString &errorText = QString());

    static void onTimer(AvahiTimeout *timeout, void *userdata);
    static void onClientState(AvahiClient *avahiClient, AvahiClientState state, void *userdata);
    static void onGroupState(AvahiEntryGroup *entryGroup, AvahiEntryGroupState state,
                             void *userdata);

    const QPointer<AvahiServicePublisher> owner;
    const quint64 id;
    QByteArray name;
    const QByteArray type;
    const quint16 port;
    AvahiThreadedPoll *poll = nullptr;
    AvahiTimeout *connectTimer = nullptr;
    AvahiClient *client = nullptr;
    AvahiEntryGroup *group = nullptr;
};

AvahiServicePublisher::Session::~Session()
{
    if (poll)
        avahi_threaded_poll_stop(poll); // joins the thread: no callback runs after this
    // Withdraw with a call the daemon answers, so that the name is free again before the next
    // session registers it (closing the connection alone leaves that to the daemon's timing).
    if (group)
        avahi_entry_group_free(group);
    if (client)
        avahi_client_free(client);
    if (poll)
        avahi_threaded_poll_free(poll); // frees connectTimer too
}

bool AvahiServicePublisher::Session::start()
{
    poll = avahi_threaded_poll_new();
    if (!poll)
        return false;
    // The client is made on the Avahi thread, so that connecting never blocks the owner.
    const AvahiPoll *api = avahi_threaded_poll_get(poll);
    timeval now{};
    connectTimer = api->timeout_new(api, avahi_elapse_time(&now, 0, 0), &Session::onTimer, this);
    return connectTimer && avahi_threaded_poll_start(poll) >= 0;
}

void AvahiServicePublisher::Session::onTimer(AvahiTimeout *, void *userdata)
{
    pthread_setname_np(pthread_self(), "dnssd.publish");
    static_cast<Session *>(userdata)->connect();
}

void AvahiServicePublisher::Session::connect()
{
    if (client) {
        avahi_client_free(client); // also frees its entry group
        client = nullptr;
        group = nullptr;
    }
    // With NO_FAIL a missing daemon is not an error: the client waits for it in CONNECTING.
    int error = AVAHI_OK;
    AvahiClient *created = avahi_client_new(avahi_threaded_poll_get(poll), AVAHI_CLIENT_NO_FAIL,
                                            &Session::onClientState, this, &error);
    if (!created) { // no system bus
        report(State::Failed, describe(error));
        retryIn(kRetryMsec);
        return;
    }
    client = created;
}

void AvahiServicePublisher::Session::retryIn(unsigned msec)
{
    timeval when{};
    const AvahiPoll *api = avahi_threaded_poll_get(poll);
    api->timeout_update(connectTimer, avahi_elapse_time(&when, msec, 0));
}

void AvahiServicePublisher::Session::onClientState(AvahiClient *avahiClient, AvahiClientState state,
                                                   void *userdata)
{
    auto *self = static_cast<Session *>(userdata);
    self->client = avahiClient; // the first call comes before avahi_client_new() returns
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        self->registerService(avahiClient);
        break;
    case AVAHI_CLIENT_S_REGISTERING:
    case AVAHI_CLIENT_S_COLLISION:
        // The daemon is (re)claiming its host name; register again once it is running.
        if (self->group)
            avahi_entry_group_reset(self->group);
        self->report(State::Registering);
        break;
    case AVAHI_CLIENT_CONNECTING:
        self->report(State::Failed, describe(AVAHI_ERR_NO_DAEMON));
        break;
    case AVAHI_CLIENT_FAILURE: {
        // The daemon or the bus went away and this client is dead. A new one is made from the
        // event loop rather than inside the dying client's callback.
        const int error = avahi_client_errno(avahiClient);
        self->report(State::Failed, describe(error));
        self->retryIn(error == AVAHI_ERR_DISCONNECTED ? 0 : kRetryMsec);
        break;
    }
    }
}

void AvahiServicePublisher::Session::registerService(AvahiClient *avahiClient)
{
    if (!group && !(group = avahi_entry_group_new(avahiClient, &Session::onGroupState, this))) {
        report(State::Failed, describe(avahi_client_errno(avahiClient)));
        return;
    }
    if (!avahi_entry_group_is_empty(group))
        return; // still registered
    for (int attempt = 0; attempt < kMaxRenames; ++attempt) {
        // An empty string list publishes the empty TXT record that DNS-SD requires.
        int error = avahi_entry_group_add_service_strlst(
            group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name.constData(),
            type.constData(), nullptr, nullptr, port, nullptr);
        if (error == AVAHI_ERR_COLLISION) { // another client of this daemon has the name
            takeAlternativeName();
            continue;
        }
        if (error == AVAHI_OK)
            error = avahi_entry_group_commit(group);
        if (error == AVAHI_OK)
            report(State::Registering);
        else
            report(State::Failed, describe(error));
        return;
    }
    report(State::Failed, describe(AVAHI_ERR_COLLISION));
}

void AvahiServicePublisher::Session::onGroupState(AvahiEntryGroup *entryGroup,
                                                  AvahiEntryGroupState state, void *userdata)
{
    auto *self = static_cast<Session *>(userdata);
    switch (state) {
    case AVAHI_ENTRY_GROUP_ESTABLISHED:
        self->report(State::Established);
        break;
    case AVAHI_ENTRY_GROUP_COLLISION: // another host uses the name
        self->takeAlternativeName();
        avahi_entry_group_reset(entryGroup);
        self->registerService(avahi_entry_group_get_client(entryGroup));
        break;
    case AVAHI_ENTRY_GROUP_FAILURE:
        self->report(State::Failed,
                     describe(avahi_client_errno(avahi_entry_group_get_client(entryGroup))));
        break;
    case AVAHI_ENTRY_GROUP_UNCOMMITED:
    case AVAHI_ENTRY_GROUP_REGISTERING:
        break;
    }
}

void AvahiServicePublisher::Session::takeAlternativeName()
{
    if (char *alternative = avahi_alternative_service_name(name.constData())) {
        name = alternative;
        avahi_free(alternative);
    }
}

void AvahiServicePublisher::Session::report(State state, const QString &errorText)
{
    // The owner outlives this thread (its destructor joins it), so it is never null here; the
    // guard covers the queued call, which runs on the owner's thread.
    QMetaObject::invokeMethod(
        owner.data(),
        [guard = owner, session = id, state, errorText] {
            if (guard)
                guard->apply(session, state, errorText);
        },
        Qt::QueuedConnection);
}

AvahiServicePublisher::AvahiServicePublisher(QObject *parent) : ServicePublisher(parent) {}

AvahiServicePublisher::~AvahiServicePublisher() = default;

void AvahiServicePublisher::publish(const QString &instanceName, const QString &serviceType,
                                    quint16 port)
{
    m_session.reset();
    m_errorText.clear();
    auto session = std::make_unique<Session>(this, ++m_sessionId, instanceName.toUtf8(),
                                             serviceType.toUtf8(), port);
    if (!session->start()) {
        setState(State::Failed, u"The DNS-SD client could not be started"_s);
        return;
    }
    m_session = std::move(session);
    setState(State::Registering);
}

void AvahiServicePublisher::unpublish()
{
    m_session.reset();
    setState(State::Idle);
}

void AvahiServicePublisher::apply(quint64 session, State state, const QString &errorText)
{
    if (m_session && session == m_sessionId)
        setState(state, errorText);
}

void AvahiServicePublisher::setState(State state, const QString &errorText)
{
    if (state == m_state && (state != State::Failed || errorText == m_errorText))
        return;
    qCDebug(lcServiceDiscovery).noquote() << "Publisher:" << state << errorText;
    m_state = state;
    if (state == State::Failed)
        m_errorText = errorText;
    Q_EMIT stateChanged(state);
}

} // namespace hb
