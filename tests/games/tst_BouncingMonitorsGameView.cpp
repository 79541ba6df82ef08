#include "games/BouncingMonitorsGameView.h"

#include "common/Settings.h"

#include "BouncingMonitorsTestRandom.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

// The screen with a random source that always gives the low end of a range: every monitor is
// red and sits at (40, 40) of the scene and the Target is red, so a click there always matches
// (10 points at the starting difficulty). A stopped clock keeps the monitors where they are.
class TestBouncingMonitorsGameView : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

    QString settingsFile() const { return m_folder.filePath(u"settings.ini"_s); }

    std::unique_ptr<BouncingMonitorsGameView> showView()
    {
        BouncingMonitorsGameView::Options options;
        options.random = ScriptedRandom().source();
        options.clock = [] { return 0.0; };
        options.settingsFile = settingsFile();
        auto view = std::make_unique<BouncingMonitorsGameView>(std::move(options));
        view->resize(900, 700);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qFatal("the screen did not show");
        return view;
    }

    static void clickMonitors(BouncingMonitorsGameView &view)
    {
        auto *field = view.findChild<QWidget *>(u"playField"_s);
        // Far enough apart for the scene to take each click.
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(40, field->height() - 40), 200);
    }

private Q_SLOTS:
    void bestScoreOutlivesTheScreen()
    {
        {
            auto view = showView();
            QTRY_COMPARE(view->targetHue(), 0.0);
            clickMonitors(*view);
            clickMonitors(*view);
            QTRY_COMPARE(view->score(), qint64(20));
            view->findChild<QPushButton *>(u"restartButton"_s)->click();
            QTRY_COMPARE(view->score(), qint64(0));
            QCOMPARE(view->bestScore(), qint64(20));
        }
        QCOMPARE(Settings(settingsFile()).integer(SettingsKey::gamesBouncingMonitorsBestScore),
                 qint64(20));
        auto view = showView();
        QCOMPARE(view->findChild<QLabel *>(u"bestScoreLabel"_s)->text(), u"Best: 20"_s);
        clickMonitors(*view);
        QTRY_COMPARE(view->score(), qint64(10));
        QCOMPARE(view->bestScore(), qint64(20));
    }
};

QTEST_MAIN(TestBouncingMonitorsGameView)
#include "tst_BouncingMonitorsGameView.moc"
