// Linked into the test programs of the ThreadSanitizer build (HB_SANITIZE=thread), and into the
// programs they start, and nowhere else.
//
// Debian's Qt is not built with ThreadSanitizer. The mutex of each thread's posted-event queue,
// the semaphore of a blocking queued call and QThread's own lock are invisible to it, so each
// value handed to another thread by a queued call or signal would be reported as a race. This
// file tells ThreadSanitizer about those hand-overs, as a Qt built with it would:
//  - everything before QMetaObject::invokeMethod() happens before the functor runs, and the
//    functor's run happens before its destruction (so before a blocking call returns);
//  - the emission of a signal happens before the calls of the slots connected to it;
//  - an event posted, a deleteLater() or a QThread::quit() or exit() happens before the next
//    delivery of events on the receiving thread;
//  - the deliveries on a thread happen before QThread::wait() on it returns;
//  - the return of a QThread::create() function happens before the slots of its finished().
// It does so by defining here the Qt entry points that the project's code calls (and Qt's other
// libraries, through their dynamic linking); each tells ThreadSanitizer and calls Qt's own
// definition, found with dlsym(RTLD_NEXT). Deliveries are seen through QInternal's event-notify
// callback. Calls inside Qt Core do not pass through here; the memory that Qt alone allocates and
// frees for a hand-over is left out by ignore_noninstrumented_modules (see tests/tsan.supp).
//
// It also keeps ThreadSanitizer's clone() away from QProcess, see clone() at the end.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>
#include <sched.h>

#include <cstdarg>
#include <cstdlib>
#include <future>
#include <utility>

namespace {

template <typename Function> Function toFunction(void *address)
{
    if (!address)
        std::abort();
    return reinterpret_cast<Function>(address);
}

// The definition of `symbol` that this program's hides: Qt's, or ThreadSanitizer's.
template <typename Function> Function nextFunction(const char *symbol)
{
    return toFunction<Function>(dlsym(RTLD_NEXT, symbol));
}

// What ThreadSanitizer is told to order, each by an address of its own: the emissions of a
// signal by the sender; posting to a thread by its QThread's first byte, the deliveries on it by
// the second.
void *emittedBy(const QObject *sender)
{
    return const_cast<QObject *>(sender);
}

char g_noThread[2];

void *postedTo(QThread *thread)
{
    return thread ? static_cast<void *>(thread) : &g_noThread[0];
}

void *deliveredOn(QThread *thread)
{
    return thread ? static_cast<void *>(reinterpret_cast<char *>(thread) + 1) : &g_noThread[1];
}

// The event this thread is handing back to Qt to deliver, after seeing it in onEvent().
thread_local QEvent *t_redelivered = nullptr;

bool onEvent(void **data)
{
    auto *receiver = static_cast<QObject *>(data[0]);
    auto *event = static_cast<QEvent *>(data[1]);
    if (event == t_redelivered || event->spontaneous())
        return false; // Qt delivers it as usual
    QThread *thread = QThread::currentThread();
    __tsan_acquire(postedTo(thread));
    QEvent *const outer = std::exchange(t_redelivered, event);
    *static_cast<bool *>(data[2]) = QCoreApplication::sendEvent(receiver, event);
    t_redelivered = outer;
    __tsan_release(deliveredOn(thread));
    return true; // delivered
}

[[maybe_unused]] const bool g_registered =
    QInternal::registerCallback(QInternal::EventNotifyCallback, &onEvent);

// The functor of QMetaObject::invokeMethod(): its call is ordered after the invocation and
// before its destruction, on whichever thread each happens.
class InvokedSlot : public QtPrivate::QSlotObjectBase {
public:
    explicit InvokedSlot(QtPrivate::QSlotObjectBase *slot) : QSlotObjectBase(&impl), m_slot(slot)
    {
        __tsan_release(this);
    }

private:
    static void impl(int which, QSlotObjectBase *base, QObject *receiver, void **args, bool *ret)
    {
        auto *self = static_cast<InvokedSlot *>(base);
        switch (which) {
        case Call:
            __tsan_acquire(self);
            self->m_slot->call(receiver, args);
            __tsan_release(self);
            break;
        case Destroy:
            __tsan_acquire(self);
            self->m_slot->destroyIfLastRef();
            delete self;
            break;
        case Compare:
            *ret = self->m_slot->compare(args);
            break;
        default:
            break;
        }
    }

    QtPrivate::QSlotObjectBase *m_slot;
};

// A slot connected to a signal of `sender`: each call is ordered after the emissions before it.
class ConnectedSlot : public QtPrivate::QSlotObjectBase {
public:
    ConnectedSlot(const QObject *sender, QtPrivate::QSlotObjectBase *slot)
        : QSlotObjectBase(&impl), m_sender(sender), m_slot(slot)
    {
    }

private:
    static void impl(int which, QSlotObjectBase *base, QObject *receiver, void **args, bool *ret)
    {
        auto *self = static_cast<ConnectedSlot *>(base);
        switch (which) {
        case Call:
            __tsan_acquire(emittedBy(self->m_sender));
            self->m_slot->call(receiver, args);
            break;
        case Destroy:
            self->m_slot->destroyIfLastRef();
            delete self;
            break;
        case Compare:
            *ret = self->m_slot->compare(args);
            break;
        default:
            break;
        }
    }

    const QObject *m_sender;
    QtPrivate::QSlotObjectBase *m_slot;
};

} // namespace

bool QMetaObject::invokeMethodImpl(QObject *object, QtPrivate::QSlotObjectBase *slot,
                                   Qt::ConnectionType type, void *ret)
{
    using Function = bool (*)(QObject *, QtPrivate::QSlotObjectBase *, Qt::ConnectionType, void *);
    static const auto qt = nextFunction<Function>(
        "_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14"
        "ConnectionTypeEPv");
    return qt(object, new InvokedSlot(slot), type, ret);
}

QMetaObject::Connection QObject::connectImpl(const QObject *sender, void **signal,
                                             const QObject *receiver, void **slot,
                                             QtPrivate::QSlotObjectBase *slotObject,
                                             Qt::ConnectionType type, const int *types,
                                             const QMetaObject *senderMetaObject)
{
    using Function = QMetaObject::Connection (*)(const QObject *, void **, const QObject *, void **,
                                                 QtPrivate::QSlotObjectBase *, Qt::ConnectionType,
                                                 const int *, const QMetaObject *);
    static const auto qt = nextFunction<Function>(
        "_ZN7QObject11connectImplEPKS_PPvS1_S3_PN9QtPrivate15QSlotObjectBaseEN2Qt14"
        "ConnectionTypeEPKiPK11QMetaObject");
    return qt(sender, signal, receiver, slot,
              slotObject ? new ConnectedSlot(sender, slotObject) : nullptr, type, types,
              senderMetaObject);
}

void QMetaObject::activate(QObject *sender, const QMetaObject *metaObject, int localSignalIndex,
                           void **argv)
{
    using Function = void (*)(QObject *, const QMetaObject *, int, void **);
    static const auto qt = nextFunction<Function>("_ZN11QMetaObject8activateEP7QObjectPKS_iPPv");
    __tsan_release(emittedBy(sender));
    qt(sender, metaObject, localSignalIndex, argv);
}

void QCoreApplication::postEvent(QObject *receiver, QEvent *event, int priority)
{
    using Function = void (*)(QObject *, QEvent *, int);
    static const auto qt =
        nextFunction<Function>("_ZN16QCoreApplication9postEventEP7QObjectP6QEventi");
    __tsan_release(postedTo(receiver ? receiver->thread() : nullptr));
    qt(receiver, event, priority);
}

void QObject::deleteLater()
{
    using Function = void (*)(QObject *);
    static const auto qt = nextFunction<Function>("_ZN7QObject11deleteLaterEv");
    __tsan_release(postedTo(thread()));
    qt(this);
}

void QThread::exit(int returnCode)
{
    using Function = void (*)(QThread *, int);
    static const auto qt = nextFunction<Function>("_ZN7QThread4exitEi");
    __tsan_release(postedTo(this));
    qt(this, returnCode);
}

void QThread::quit()
{
    using Function = void (*)(QThread *);
    static const auto qt = nextFunction<Function>("_ZN7QThread4quitEv");
    __tsan_release(postedTo(this));
    qt(this);
}

bool QThread::wait(QDeadlineTimer deadline)
{
    using Function = bool (*)(QThread *, QDeadlineTimer);
    static const auto qt = nextFunction<Function>("_ZN7QThread4waitE14QDeadlineTimer");
    const bool finished = qt(this, deadline);
    if (finished)
        __tsan_acquire(deliveredOn(this));
    return finished;
}

QThread *QThread::createThreadImpl(std::future<void> &&future)
{
    using Function = QThread *(*)(std::future<void> &&);
    static const auto qt = nextFunction<Function>("_ZN7QThread16createThreadImplEOSt6futureIvE");
    return qt(std::async(std::launch::deferred, [function = std::move(future)]() mutable {
        function.get();
        // The thread emits finished() next, from inside Qt.
        __tsan_release(emittedBy(QThread::currentThread()));
    }));
}

// QProcess starts its child with clone(CLONE_VM | CLONE_VFORK): until it calls exec, the child
// runs on this process's memory and thread-local storage. ThreadSanitizer's clone() takes every
// clone for a fork and prepares "the child", that is the calling thread of this process: it then
// ignores that thread from there on and, as "forked while multi-threaded", refuses to start
// threads. Such a clone goes straight to the C library's clone().
extern "C" int clone(int (*function)(void *), void *stack, int flags, void *argument, ...) noexcept
{
    va_list rest;
    va_start(rest, argument);
    auto *parentTid = va_arg(rest, pid_t *);
    void *tls = va_arg(rest, void *);
    auto *childTid = va_arg(rest, pid_t *);
    va_end(rest);
    using Function = int (*)(int (*)(void *), void *, int, void *, ...);
    static const auto sanitizer = nextFunction<Function>("clone");
    static const auto system =
        toFunction<Function>(dlsym(dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD), "clone"));
    return ((flags & CLONE_VM) ? system : sanitizer)(function, stack, flags, argument, parentTid,
                                                     tls, childTid);
}
