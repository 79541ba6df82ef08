// A process killed while it changes the checklist loses nothing it had reported as done: the
// helper prep-mutator reports each change once it returned, is killed with SIGKILL at a random
// line, and the store it leaves must open and hold exactly the state after its last reported
// change, or after the one that was in flight.
//
// Notes typed into a project's screen survive too: once the typing has paused (SIGKILL then), or
// at once on SIGTERM, which saves pending work before the process ends.

#include "ChecklistDigest.h"
#include "platform/store/ModelStore.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepProjectDetailView.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

const QString kMutator = QStringLiteral(PREP_MUTATOR);
const QString kSeed = u"7"_s;
constexpr int kChanges = 1000;
constexpr int kRounds = 5;
// Generous: only a helper that hangs should ever reach it.
constexpr int kTimeoutMs = 300'000;

// The complete lines of the helper's output.
QList<QByteArray> completeLines(const QByteArray &output)
{
    QList<QByteArray> lines = output.split('\n');
    lines.removeLast(); // empty, or a line cut short
    return lines;
}

QByteArray digestOf(const QByteArray &line)
{
    return line.mid(line.lastIndexOf('\t') + 1);
}

// One run of the helper, stopped after `killAfter` lines (never, when 0).
struct Run {
    int killAfter = 0;
    QTemporaryDir folder;
    QProcess process;
    QByteArray output;
    int read = 0;

    void start()
    {
        // Lines are read as they come so that the kill lands in the middle of the stream.
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [this] {
            while ((killAfter == 0 || read < killAfter) && process.canReadLine()) {
                output += process.readLine();
                ++read;
            }
            if (read == killAfter && process.state() != QProcess::NotRunning)
                process.kill(); // SIGKILL
        });
        process.start(kMutator, {folder.path(), kSeed, QString::number(kChanges)});
    }
};

// Reads the helper's next line, waiting for it.
QByteArray nextLine(QProcess &process)
{
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(kTimeoutMs))
            return {};
    }
    return process.readLine().trimmed();
}

enum class Ending { KillAfterPause, TerminateAtOnce };

} // namespace

Q_DECLARE_METATYPE(Ending)

class TestPrepDurability : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedRunsKeepEveryReportedChange()
    {
        // The rounds and one complete run, which gives the state after every number of
        // changes, all at once.
        QRandomGenerator random(20240611);
        std::vector<std::unique_ptr<Run>> runs;
        for (int round = 0; round <= kRounds; ++round) {
            runs.push_back(std::make_unique<Run>());
            runs.back()->killAfter = round == 0 ? 0 : int(random.bounded(1, kChanges));
            runs.back()->start();
        }
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(runs.cbegin(), runs.cend(),
                                             [](const auto &run) {
                                                 return run->process.state() ==
                                                        QProcess::NotRunning;
                                             }),
                                 kTimeoutMs);
        Run &complete = *runs.front();
        QVERIFY2(complete.process.exitCode() == 0,
                 complete.process.readAllStandardError().constData());
        const QList<QByteArray> all = completeLines(complete.output);
        QCOMPARE(all.size(), kChanges);

        for (size_t round = 1; round < runs.size(); ++round) {
            Run &run = *runs[round];
            // Lines the helper wrote before it died are reported changes too.
            run.output += run.process.readAllStandardOutput();
            const QList<QByteArray> reported = completeLines(run.output);
            qInfo("round %d: killed after reading %d lines, %lld reported", int(round),
                  run.killAfter, qlonglong(reported.size()));
            QVERIFY(reported.size() >= run.killAfter);
            for (qsizetype i = 0; i < reported.size(); ++i)
                QCOMPARE(reported[i], all[i]);

            auto store = ModelStore::open(run.folder.path());
            QVERIFY2(store, qPrintable(store ? QString() : store.error().description));
            const QByteArray found = checklistDigest((*store)->database());
            QByteArrayList expected{digestOf(reported.last())};
            if (reported.size() < kChanges)
                expected.append(digestOf(all[reported.size()])); // the one in flight
            QVERIFY2(expected.contains(found),
                     qPrintable(u"state after change %1 not found"_s.arg(reported.size())));
            // And the store takes changes again.
            QVERIFY(PrepChecklist(**store).createProject(u"After"_s, {}));
        }
    }

    void typedNotesSurvive_data()
    {
        QTest::addColumn<Ending>("ending");
        QTest::newRow("SIGKILL after the typing paused") << Ending::KillAfterPause;
        QTest::newRow("SIGTERM right after typing") << Ending::TerminateAtOnce;
    }

    void typedNotesSurvive()
    {
        QFETCH(Ending, ending);
        QTemporaryDir folder;
        QProcess typist;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        typist.setProcessEnvironment(environment);
        typist.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        typist.start(kMutator, {u"--type-notes"_s, folder.path()});
        QCOMPARE(nextLine(typist), QByteArray("ready"));
        typist.write("Reel 2: warm look\n");
        QCOMPARE(nextLine(typist), QByteArray("typed"));

        if (ending == Ending::KillAfterPause) {
            QTest::qWait(PrepProjectDetailView::kNotesSaveDelayMs + 300);
            typist.kill();
            QVERIFY(typist.waitForFinished(kTimeoutMs));
            QCOMPARE(typist.exitStatus(), QProcess::CrashExit);
        } else {
            typist.terminate();
            QVERIFY(typist.waitForFinished(kTimeoutMs));
            QCOMPARE(typist.exitStatus(), QProcess::NormalExit);
            QCOMPARE(typist.exitCode(), 0);
        }

        auto store = ModelStore::open(folder.path());
        QVERIFY(store);
        const auto projects = PrepChecklist(**store).projects();
        QVERIFY(projects);
        QCOMPARE(projects->size(), 1);
        QCOMPARE(projects->constFirst().notes, u"Reel 2: warm look"_s);
    }
};

QTEST_GUILESS_MAIN(TestPrepDurability)
#include "tst_PrepDurability.moc"
