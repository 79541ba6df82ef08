#include "dadavezaruz/ReconnectSchedule.h"

#include <QSignalSpy>
#include <QTest>

using namespace hb;

class TestReconnectSchedule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void backOffDoublesUpToItsCap()
    {
        ReconnectSchedule schedule;
        for (const int expected : {1, 2, 4, 8, 16, 30, 30}) {
            schedule.schedule();
            QCOMPARE(schedule.delay(), expected);
        }
        schedule.resetBackoff(); // back after a loss: the countdown under way goes on
        QCOMPARE(schedule.delay(), 30);
        schedule.schedule();
        QCOMPARE(schedule.delay(), 1);
        schedule.schedule();
        schedule.cancel();
        QCOMPARE(schedule.delay(), 0);
        schedule.schedule();
        QCOMPARE(schedule.delay(), 1);
    }

    void countsDownToOneAttempt()
    {
        ReconnectSchedule schedule;
        schedule.setTickInterval(20);
        QList<int> shown;
        connect(&schedule, &ReconnectSchedule::delayChanged, this,
                [&] { shown.append(schedule.delay()); });
        QSignalSpy due(&schedule, &ReconnectSchedule::due);
        schedule.schedule();
        schedule.schedule(); // a second loss before the attempt: the longer wait counts
        QTRY_COMPARE(due.size(), 1);
        QCOMPARE(shown, (QList<int>{1, 2, 1, 0}));
        QTest::qWait(100); // the countdown has stopped
        QCOMPARE(due.size(), 1);
        QCOMPARE(schedule.delay(), 0);
    }
};

QTEST_GUILESS_MAIN(TestReconnectSchedule)
#include "tst_ReconnectSchedule.moc"
