// prep-mutator FOLDER SEED COUNT
// prep-mutator --type-notes FOLDER
//
// Opens the store in FOLDER and makes COUNT changes to its checklist, drawn from SEED. After each
// change has returned successfully it writes one line to stdout, flushed at once:
//
//   <number>\t<the operation with its ids and values>\t<digest of the checklist tables>
//
// The clock is fake and the choices depend only on SEED and the store's contents, so the same
// arguments on a fresh folder always print the same lines: a run that was stopped can be checked
// against a complete one. The digest is the one tst_PrepDurability computes.
//
// With --type-notes it creates a project named "Notes" in FOLDER, shows its screen and prints
// "ready". Each line then read from stdin is typed into the notes field, key by key, and
// answered with "typed". SIGTERM asks the application to save pending work (AppLifecycle), as
// the application does, and then ends the process at once.

#include "ChecklistDigest.h"
#include "common/AppLifecycle.h"
#include "common/QuitOnSignals.h"
#include "platform/store/ModelStore.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepGrowingTextEdit.h"
#include "prep/PrepProjectDetailView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

QString shown(const QString &text)
{
    return QString(text).replace(u'\n', u"\\n"_s);
}

// What `describe` says of a change that returned, or its error.
template <typename T, typename F> Expected<QString> said(const Expected<T> &result, F describe)
{
    if (!result)
        return result.error();
    return describe();
}

// One change, described.
Expected<QString> mutate(PrepChecklist &list, QRandomGenerator &random)
{
    static const QStringList notes{u""_s, u" look: warm "_s, u"EDL\nready"_s, u"Reel 2"_s};
    const auto projects = list.projects();
    if (!projects)
        return projects.error();
    int roll = int(random.bounded(100));
    if (projects->isEmpty())
        roll = 0;
    if (roll < 12) {
        const auto created = list.createProject(u" Project %1 "_s.arg(random.bounded(1000)),
                                                notes[random.bounded(int(notes.size()))]);
        return said(created,
                    [&] { return u"createProject %1 %2"_s.arg(created->id).arg(created->name); });
    }

    const PrepProject project = projects->at(random.bounded(int(projects->size())));
    const auto tasks = list.sortedTasks(project.id);
    if (!tasks)
        return tasks.error();
    if (tasks->isEmpty() && roll >= 40 && roll < 70)
        roll = 12; // nothing to tick or edit: add one
    const qint64 task = tasks->isEmpty() ? 0 : tasks->at(random.bounded(int(tasks->size()))).id;

    if (roll < 40) {
        const QString title = random.bounded(10) == 0 ? u" \n"_s : u" Task %1 "_s.arg(roll);
        const auto added = list.addTask(project.id, title);
        return said(added, [&] {
            return u"addTask %1 %2"_s.arg(project.id).arg(*added ? (*added)->id : 0);
        });
    }
    if (roll < 58)
        return said(list.toggleTask(task, project.id),
                    [&] { return u"toggleTask %1 %2"_s.arg(task).arg(project.id); });
    if (roll < 70) {
        const bool isDone = random.bounded(2) == 1;
        return said(list.saveTaskEdits(task, u" Edited %1"_s.arg(roll), notes[roll % 4], isDone),
                    [&] { return u"saveTaskEdits %1 %2"_s.arg(task).arg(isDone); });
    }
    if (roll < 82) {
        const QString &draft = notes[random.bounded(int(notes.size()))];
        const auto saved = list.saveProjectNotes(project.id, draft);
        return said(saved, [&] {
            return u"saveProjectNotes %1 %2 %3"_s.arg(project.id).arg(shown(draft)).arg(*saved);
        });
    }
    if (roll < 94) {
        const int size = int(tasks->size());
        const QList<int> positions{int(random.bounded(size + 1)), int(random.bounded(size + 1))};
        return said(list.deleteTasks(project.id, positions), [&] {
            return u"deleteTasks %1 %2,%3"_s.arg(project.id).arg(positions[0]).arg(positions[1]);
        });
    }
    if (roll < 97) {
        const auto copy = list.duplicateProject(project.id);
        return said(copy,
                    [&] { return u"duplicateProject %1 %2"_s.arg(project.id).arg(copy->id); });
    }
    return said(list.deleteProjects({project.id}),
                [&] { return u"deleteProjects %1"_s.arg(project.id); });
}

void say(const char *line)
{
    std::fputs(line, stdout);
    std::fflush(stdout);
}

void typeInto(QWidget *field, const QString &text)
{
    for (const QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(character));
        QApplication::sendEvent(field, &release);
    }
}

int typeNotes(int argc, char **argv)
{
    QApplication app(argc, argv);
    auto store = ModelStore::open(app.arguments().at(2));
    if (!store) {
        std::fprintf(stderr, "%s\n", qPrintable(store.error().description));
        return 1;
    }
    PrepChecklist list(**store);
    const auto project = list.createProject(u"Notes"_s, {});
    if (!project) {
        std::fprintf(stderr, "%s\n", qPrintable(project.error().description));
        return 1;
    }
    PrepProjectDetailView screen(list, project->id, **store);
    screen.show();

    QuitOnSignals termination;
    // The save request alone must store what waits: the process ends right after it, without
    // closing its windows (which would store the notes too).
    QObject::connect(&termination, &QuitOnSignals::received, &app, [] {
        AppLifecycle::instance().requestSave();
        std::fflush(stdout);
        ::_exit(0);
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input.setEnabled(false);
            return;
        }
        pending.append(buffer, got);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            typeInto(screen.notesField(), QString::fromUtf8(pending.left(end)));
            pending.remove(0, end + 1);
            say("typed\n");
        }
    });
    say("ready\n");
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--type-notes") == 0)
        return typeNotes(argc, argv);
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4) {
        std::fputs("usage: prep-mutator FOLDER SEED COUNT\n", stderr);
        return 2;
    }
    auto store = ModelStore::open(arguments[1]);
    if (!store) {
        std::fprintf(stderr, "%s\n", qPrintable(store.error().description));
        return 1;
    }
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, Qt::UTC);
    qint64 ticks = 0;
    PrepChecklist list(**store, [&] { return start.addMSecs(++ticks); });
    QRandomGenerator random(arguments[2].toUInt());
    const int count = arguments[3].toInt();
    for (int number = 1; number <= count; ++number) {
        const auto change = mutate(list, random);
        if (!change) {
            std::fprintf(stderr, "%d: %s\n", number, qPrintable(change.error().description));
            return 1;
        }
        const QByteArray line = QByteArray::number(number) + '\t' + change->toUtf8() + '\t' +
                                checklistDigest((*store)->database()) + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        std::fflush(stdout);
    }
    return 0;
}
