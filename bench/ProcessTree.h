#pragma once

// What the benchmarks that start the application read of its processes: the kernel's memory
// figures of a process and the tree of processes under one (the browser engine's helpers), and
// a wait that keeps the event loop turning.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>
#include <QThread>

namespace hb::bench {

// A field of /proc/PID/FILE in KiB, e.g. ("status", "VmRSS:") or ("smaps_rollup", "Pss:"); 0
// when the process or the field is not there.
inline qint64 procKiB(qint64 pid, const char *file, const QByteArray &field)
{
    QFile proc(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1StringView(file)));
    if (!proc.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : proc.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

inline qint64 parentOf(const QString &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The command name is in parentheses and may hold blanks; fields resume after the last ")".
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(1).toLongLong();
}

// `root` and all its descendants, `root` first.
inline QList<qint64> processTree(qint64 root)
{
    QList<qint64> tree{root};
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (bool grew = true; grew;) {
        grew = false;
        for (const QString &entry : entries) {
            bool number = false;
            const qint64 pid = entry.toLongLong(&number);
            if (number && !tree.contains(pid) && tree.contains(parentOf(entry))) {
                tree.append(pid);
                grew = true;
            }
        }
    }
    return tree;
}

// For a benchmark that starts the browser engine: a throw-away home (a fresh store and
// settings, as at a first start) and an engine that opens no connection of its own, so that
// pages come from loopback only. Before the application object exists.
inline void useFreshHomeAndQuietEngine(const QString &home)
{
    for (const char *variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.toUtf8());
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-background-networking "
                                          "--disable-component-update --disable-sync");
}

// Runs the event loop until `done` holds (true) or `timeoutMs` has passed (false).
template <typename Predicate> bool waitFor(Predicate done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

} // namespace hb::bench
