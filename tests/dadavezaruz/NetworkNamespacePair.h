#pragma once

// Two network namespaces, "pad" and "server", joined by a veth pair: a network of two hosts that
// a test owns, with a link it can take down and bring back. Made with iproute2, which needs
// root; removed again when the object goes, whatever the test's outcome.
//
// A socket belongs to the namespace of the thread that made it, and a thread starts in the
// namespace of the thread that started it: within() moves the calling thread into one namespace
// for the duration of a call, so that what the call makes lives there.

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace hb::test {

using namespace Qt::StringLiterals;

class NetworkNamespacePair {
public:
    enum class Side { Pad, Server };

    // From the range set aside for benchmark networks: never a real host.
    static constexpr char kPadAddress[] = "198.18.0.2";
    static constexpr char kServerAddress[] = "198.18.0.1";

    // Why the pair cannot be made on this machine; empty when it can.
    static QString unavailableReason()
    {
        if (::geteuid() != 0)
            return u"network namespaces need root"_s;
        QString error;
        if (!run({u"netns"_s, u"list"_s}, &error))
            return u"`ip netns` is not available: "_s + error;
        return {};
    }

    NetworkNamespacePair()
    {
        const QString id = QString::number(QCoreApplication::applicationPid());
        m_pad = u"hb-pad-"_s + id;
        m_server = u"hb-srv-"_s + id;
    }
    ~NetworkNamespacePair() { remove(); }
    NetworkNamespacePair(const NetworkNamespacePair &) = delete;
    NetworkNamespacePair &operator=(const NetworkNamespacePair &) = delete;

    // Makes both namespaces and the link, up; on failure removes what was made.
    bool create(QString *error)
    {
        m_made = true;
        remove(); // a pair left behind by a crashed run that had the same process id
        m_made = true;
        const QString pad = u"pad0"_s;
        const QString server = u"srv0"_s;
        const QList<QStringList> steps{
            {u"netns"_s, u"add"_s, m_pad},
            {u"netns"_s, u"add"_s, m_server},
            {u"-n"_s, m_pad, u"link"_s, u"add"_s, pad, u"type"_s, u"veth"_s, u"peer"_s, u"name"_s,
             server, u"netns"_s, m_server},
            {u"-n"_s, m_pad, u"addr"_s, u"add"_s, QString::fromLatin1(kPadAddress) + u"/30"_s,
             u"dev"_s, pad},
            {u"-n"_s, m_server, u"addr"_s, u"add"_s, QString::fromLatin1(kServerAddress) + u"/30"_s,
             u"dev"_s, server},
            {u"-n"_s, m_pad, u"link"_s, u"set"_s, u"lo"_s, u"up"_s},
            {u"-n"_s, m_server, u"link"_s, u"set"_s, u"lo"_s, u"up"_s},
            {u"-n"_s, m_pad, u"link"_s, u"set"_s, pad, u"up"_s},
            {u"-n"_s, m_server, u"link"_s, u"set"_s, server, u"up"_s},
        };
        for (const QStringList &step : steps) {
            if (!run(step, error)) {
                remove();
                return false;
            }
        }
        return true;
    }

    void remove()
    {
        if (!m_made)
            return;
        // Removing either namespace removes the veth pair with it.
        for (const QString &name : {m_pad, m_server})
            run({u"netns"_s, u"delete"_s, name}, nullptr);
        m_made = false;
    }

    // Takes one end of the link down, or brings it back up. The pad's own end going down is its
    // Wi-Fi dropping; the server's end going down is the far side of the network going quiet.
    bool setLinkUp(Side side, bool up, QString *error)
    {
        const bool pad = side == Side::Pad;
        return run({u"-n"_s, pad ? m_pad : m_server, u"link"_s, u"set"_s,
                    pad ? u"pad0"_s : u"srv0"_s, up ? u"up"_s : u"down"_s},
                   error);
    }

    // Calls `make` with the calling thread in the namespace of `side`, then moves it back.
    template <typename Make> bool within(Side side, Make make, QString *error)
    {
        const QString path = u"/run/netns/"_s + (side == Side::Pad ? m_pad : m_server);
        const int target = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
        const int home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        bool ok = target >= 0 && home >= 0 && ::setns(target, CLONE_NEWNET) == 0;
        if (ok) {
            make();
            if (::setns(home, CLONE_NEWNET) != 0)
                qFatal("could not move the test's thread back to its own network namespace");
        } else if (error) {
            *error = u"cannot enter "_s + path;
        }
        if (target >= 0)
            ::close(target);
        if (home >= 0)
            ::close(home);
        return ok;
    }

private:
    static bool run(const QStringList &arguments, QString *error)
    {
        QProcess ip;
        ip.setProcessChannelMode(QProcess::MergedChannels);
        ip.start(u"ip"_s, arguments);
        const bool finished = ip.waitForFinished(10000);
        const bool ok = finished && ip.exitStatus() == QProcess::NormalExit && ip.exitCode() == 0;
        if (!ok && error) {
            *error = u"ip "_s + arguments.join(u' ') + u": "_s +
                     (ip.error() == QProcess::FailedToStart ? u"cannot start ip"_s
                                                            : QString::fromLocal8Bit(ip.readAll()));
        }
        if (!finished)
            ip.kill(); // our own child, by its handle
        ip.waitForFinished(1000);
        return ok;
    }

    QString m_pad;
    QString m_server;
    bool m_made = false;
};

} // namespace hb::test
