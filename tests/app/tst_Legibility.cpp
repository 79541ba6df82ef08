// Renders every screen of the window, and the pad's sheets, and measures the contrast of what is
// drawn: text against the background it sits on, and the edges of input fields and plain buttons
// against the surface around them.

#include "app/DarkAppearance.h"
#include "app/HuebenchApp.h"
#include "common/Settings.h"
#include "dadavezaruz/ConnectionSheet.h"
#include "dadavezaruz/DadavezaRuzView.h"
#include "dadavezaruz/EditButtonSheet.h"
#include "dadavezaruz/ShortcutButtonCell.h"
#include "dadavezaruz/ShortcutGrid.h"
#include "dadavezaruz/ShortcutGridView.h"
#include "dadavezaruz/ShortcutPad.h"
#include "platform/store/ModelStore.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

constexpr QSize kWindowSize(1100, 720);
constexpr double kBodyTextContrast = 4.5;
constexpr double kLargeTextContrast = 3.0;
constexpr double kEdgeContrast = 3.0;

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(QRgb rgb)
{
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const auto [dark, light] = std::minmax({luminance(a), luminance(b)}); // by value
    return (light + 0.05) / (dark + 0.05);
}

// The most frequent colour of an area's inside, a few pixels in from its edges (where frames
// and focus rings are). Near colours count together, so that a soft gradient has one colour:
// their mean.
QRgb dominantColor(const QImage &image, const QRect &area)
{
    const int inset = std::min({3, area.width() / 4, area.height() / 4});
    const QRect inside = area.adjusted(inset, inset, -inset, -inset) & image.rect();
    std::map<int, std::array<qint64, 4>> buckets; // pixels, and the sums of red, green, blue
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            auto &b = buckets[(qRed(p) >> 3) << 10 | (qGreen(p) >> 3) << 5 | qBlue(p) >> 3];
            b = {b[0] + 1, b[1] + qRed(p), b[2] + qGreen(p), b[3] + qBlue(p)};
        }
    }
    if (buckets.empty())
        return qRgb(0, 0, 0);
    const auto &[count, red, green, blue] =
        std::max_element(buckets.begin(), buckets.end(), [](const auto &a, const auto &b) {
            return a.second[0] < b.second[0];
        })->second;
    return qRgb(int(red / count), int(green / count), int(blue / count));
}

// The pixel of an area farthest in luminance from the background: the text's own colour.
QRgb farthestColor(const QImage &image, const QRect &area, QRgb background)
{
    const double base = luminance(background);
    QRgb best = background;
    double bestDistance = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const double distance = std::abs(luminance(pixel) - base);
            if (distance > bestDistance) {
                bestDistance = distance;
                best = pixel;
            }
        }
    }
    return best;
}

// Large text in the WCAG sense: 18 pt, or 14 pt bold (24 px, or 18.66 px bold).
bool isLargeText(const QFont &font)
{
    const QFontInfo info(font);
    const int pixels = info.pixelSize();
    return pixels >= 24 || (pixels >= 19 && info.weight() >= QFont::Bold);
}

// The frame of a field against the surface around it. Along each side the band of the frame
// gives its strongest pixel at every step; the side's median of those is its edge. The weakest
// side counts. `band` is how deep into the field its frame may lie.
double frameContrast(const QImage &image, const QRect &field, int band = 3)
{
    constexpr int kRing = 3;
    const QRect outside = field.adjusted(-kRing, -kRing, kRing, kRing);
    std::map<QRgb, int> counts;
    for (int y = outside.top(); y <= outside.bottom(); ++y) {
        for (int x = outside.left(); x <= outside.right(); ++x) {
            if (field.contains(x, y) || !image.rect().contains(x, y))
                continue;
            ++counts[image.pixel(x, y) | 0xFF000000u];
        }
    }
    if (counts.empty())
        return 0;
    const QRgb around = std::max_element(counts.begin(), counts.end(), [](auto &a, auto &b) {
                            return a.second < b.second;
                        })->first;

    auto sideEdge = [&](bool horizontal, bool nearSide) {
        QList<double> strongest;
        const int length = horizontal ? field.width() : field.height();
        for (int step = length / 4; step < 3 * length / 4; ++step) {
            double best = 1;
            for (int depth = 0; depth < band; ++depth) {
                const QPoint at =
                    horizontal ? QPoint(field.left() + step,
                                        nearSide ? field.top() + depth : field.bottom() - depth)
                               : QPoint(nearSide ? field.left() + depth : field.right() - depth,
                                        field.top() + step);
                if (image.rect().contains(at))
                    best = std::max(best, contrast(image.pixel(at), around));
            }
            strongest.append(best);
        }
        if (strongest.isEmpty())
            return 1.0;
        std::sort(strongest.begin(), strongest.end());
        return strongest[strongest.size() / 2];
    };
    return std::min({sideEdge(true, true), sideEdge(true, false), sideEdge(false, true),
                     sideEdge(false, false)});
}

struct TextArea {
    QString name;
    QRect rect; // in the top-level widget's coordinates
    QFont font;
};

// What the window draws that is measured: its text (labels, buttons, fields, tabs, list rows)
// and the fields and plain buttons whose frame is their only visible edge. Hidden, disabled and
// clipped-away widgets are left out.
struct Drawn {
    QList<TextArea> texts;
    QList<std::pair<QString, QRect>> frames;
};

Drawn drawnIn(QWidget *top)
{
    Drawn drawn;
    const QList<QWidget *> widgets = top->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        const QRect visible = widget->visibleRegion().boundingRect();
        if (!widget->isVisible() || !widget->isEnabled() || widget->window() != top ||
            visible.width() < 4 || visible.height() < 4)
            continue;
        const auto name = [widget](const QString &text) {
            return u"%1 \"%2\""_s.arg(QString::fromLatin1(widget->metaObject()->className()),
                                      text.left(40));
        };
        auto add = [&](const QString &text, const QRect &rect, const QWidget *on) {
            const QRect clipped = rect & on->visibleRegion().boundingRect();
            if (!text.trimmed().isEmpty() && !clipped.isEmpty())
                drawn.texts.append({name(text),
                                    QRect(on->mapTo(top, clipped.topLeft()), clipped.size()),
                                    widget->font()});
        };
        const auto *edit = qobject_cast<QLineEdit *>(widget);
        const bool inCompound = qobject_cast<QAbstractSpinBox *>(widget->parent()) ||
                                qobject_cast<QComboBox *>(widget->parent());
        bool framed = false;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            add(label->text(), label->contentsRect(), widget);
        } else if (auto *tool = qobject_cast<QToolButton *>(widget)) {
            if (tool->toolButtonStyle() != Qt::ToolButtonIconOnly || tool->icon().isNull())
                add(tool->text(), tool->rect(), widget);
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            add(button->text(), button->rect(), widget);
            const auto *push = qobject_cast<QPushButton *>(widget);
            framed = push && !push->isFlat();
        } else if (edit) {
            add(edit->text().isEmpty() ? edit->placeholderText() : edit->text(), edit->rect(),
                widget);
            framed = edit->hasFrame() && !inCompound;
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            if (!combo->isEditable())
                add(combo->currentText(), combo->rect(), widget);
            framed = combo->hasFrame();
        } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(widget)) {
            framed = spin->hasFrame();
        } else if (auto *list = qobject_cast<QListView *>(widget); list && list->model()) {
            // Rows that can be used, as the view draws them.
            for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
                const QModelIndex index = list->model()->index(row, 0, list->rootIndex());
                if (index.flags().testFlag(Qt::ItemIsEnabled))
                    add(index.data().toString(), list->visualRect(index), list->viewport());
            }
        } else if (auto *tabs = qobject_cast<QTabBar *>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs->tabText(i), tabs->tabRect(i), widget);
        }
        // A field partly scrolled away has no whole frame to look at.
        if (framed && visible == widget->rect())
            drawn.frames.append({name(widget->objectName()),
                                 QRect(widget->mapTo(top, QPoint(0, 0)), widget->size())});
    }
    return drawn;
}

// The pad's sheets, opened over the pad.
enum class Sheet { None, Connection, AddPage, EditButton };

} // namespace

Q_DECLARE_METATYPE(Sheet)

class TestLegibility : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<HuebenchApp> m_app;

    QImage render(QWidget *top)
    {
        QCoreApplication::processEvents();
        QImage image = top->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // To look at what was measured: HB_LEGIBILITY_DUMP=folder keeps each rendering.
        if (const QString folder = qEnvironmentVariable("HB_LEGIBILITY_DUMP"); !folder.isEmpty())
            image.save(
                QDir(folder).filePath(QString::fromUtf8(QTest::currentDataTag()) + u".png"_s));
        return image;
    }

    QWidget *open(int tool, Sheet sheet)
    {
        if (tool >= 0 && !m_app->contentView()->choose(ToolId(tool)))
            return nullptr;
        QTest::qWait(50);
        auto *pad = m_app->window()->findChild<DadavezaRuzView *>();
        if (sheet == Sheet::None || !pad)
            return sheet == Sheet::None ? m_app->window() : nullptr;
        if (sheet == Sheet::Connection)
            return pad->openConnectionSheet();
        if (sheet == Sheet::AddPage)
            return pad->openAddPageSheet();
        ShortcutPad shortcuts(m_app->sharedModelContainer());
        const qint64 page = shortcuts.pages().value().value(0).id;
        return pad->openEditor(shortcuts.buttons(page).value().value(0).id);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        applyDarkAppearance(*qobject_cast<QApplication *>(QCoreApplication::instance()));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        auto store = ModelStore::open(m_dir->path());
        QVERIFY(store);
        m_app = std::make_unique<HuebenchApp>(std::move(*store));
        m_app->window()->resize(kWindowSize);
        m_app->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_app->window()));
    }

    void cleanup()
    {
        m_app.reset();
        m_dir.reset();
    }

    void screensAreLegible_data()
    {
        QTest::addColumn<int>("tool"); // -1: the catalogue alone
        QTest::addColumn<Sheet>("sheet");
        QTest::newRow("catalogue") << -1 << Sheet::None;
        // The web view is left out: its page is not drawn by these widgets.
        const std::pair<const char *, ToolId> tools[] = {
            {"pad", ToolId::DadavezaRuz},
            {"server", ToolId::DadavezaRuzServer},
            {"calibration", ToolId::MonitorCalibration},
            {"template library", ToolId::MogrtToFusion},
            {"text to screenplay", ToolId::TextToFountain},
            {"document to subtitles", ToolId::DocToSrt},
            {"feet and frames", ToolId::FeetFrames},
            {"prep checklist", ToolId::ProjectPrepChecklist},
            {"bouncing monitors", ToolId::BouncingMonitors},
            {"color invaders", ToolId::ColorInvaders},
        };
        for (const auto &[name, tool] : tools)
            QTest::newRow(name) << int(tool) << Sheet::None;
        const int pad = int(ToolId::DadavezaRuz);
        QTest::newRow("pad connection sheet") << pad << Sheet::Connection;
        QTest::newRow("pad new page sheet") << pad << Sheet::AddPage;
        QTest::newRow("pad button sheet") << pad << Sheet::EditButton;
    }

    // Text against what it sits on, and the edges of fields and plain buttons against the
    // surface around them, from one rendering of each screen.
    void screensAreLegible()
    {
        QFETCH(int, tool);
        QFETCH(Sheet, sheet);
        QWidget *top = open(tool, sheet);
        QVERIFY(top);
        QVERIFY(QTest::qWaitForWindowExposed(top));
        const QImage image = render(top);

        const Drawn drawn = drawnIn(top);
        QVERIFY(!drawn.texts.isEmpty());
        QStringList failures;
        for (const TextArea &area : drawn.texts) {
            const QRgb background = dominantColor(image, area.rect);
            const QRgb text = farthestColor(image, area.rect, background);
            const double ratio = contrast(text, background);
            const double needed = isLargeText(area.font) ? kLargeTextContrast : kBodyTextContrast;
            if (ratio < needed)
                failures.append(u"%1: %2 on %3 is %4:1, needs %5:1"_s.arg(
                    area.name, QColor(text).name(), QColor(background).name(),
                    QString::number(ratio, 'f', 2), QString::number(needed)));
        }
        for (const auto &[name, rect] : drawn.frames) {
            const double ratio = frameContrast(image, rect);
            if (ratio < kEdgeContrast)
                failures.append(u"%1: edge %2:1"_s.arg(name, QString::number(ratio, 'f', 2)));
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u"\n  "_s)));
    }

    // Flat and auto-raised buttons (the pad's header) have no edge at rest; the one that Tab
    // reaches must show a ring, not Fusion's faint tint.
    void keyboardFocusIsVisibleOnFlatButtons()
    {
        QWidget top;
        top.resize(300, 80);
        auto *start = new QLineEdit(&top);
        start->setGeometry(10, 10, 100, 28);
        auto *flat = new QPushButton(u"Edit"_s, &top);
        flat->setFlat(true);
        flat->setGeometry(130, 10, 70, 30);
        auto *tool = new QToolButton(&top);
        tool->setAutoRaise(true);
        tool->setText(u"+"_s);
        tool->setGeometry(220, 10, 32, 32);
        top.show();
        top.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&top));
        start->setFocus();

        for (QWidget *button : {static_cast<QWidget *>(flat), static_cast<QWidget *>(tool)}) {
            const QRect rect(button->pos(), button->size());
            QVERIFY(frameContrast(render(&top), rect) < kEdgeContrast); // no edge without focus
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTRY_COMPARE(QApplication::focusWidget(), button);
            // A focus ring may sit a few pixels inside the button (a tool button's does).
            const double ring = frameContrast(render(&top), rect, 6);
            QVERIFY2(ring >= kEdgeContrast, qPrintable(QString::number(ring)));
        }
    }

    // In the window at its first size, every label of the pages a new pad starts with, and a
    // long label of a user's own, is set whole in its cell: shrunk or wrapped, never cut off.
    void padLabelsFitAtTheDefaultSize()
    {
        QVERIFY(m_app->contentView()->choose(ToolId::DadavezaRuz));
        auto *grid = m_app->window()->findChild<ShortcutGridView *>();
        QVERIFY(grid);
        QTRY_VERIFY(grid->isVisible());
        const qreal side = ShortcutGrid::cellSide(QSizeF(grid->size()));
        QVERIFY2(side >= 72, qPrintable(QString::number(side))); // a cell worth the name

        ShortcutPad shortcuts(m_app->sharedModelContainer());
        QStringList labels{u"Toggle Full Screen Preview"_s};
        const QList<ShortcutPage> pages = shortcuts.pages().value();
        for (const ShortcutPage &page : pages) {
            const QList<ShortcutButton> buttons = shortcuts.buttons(page.id).value();
            for (const ShortcutButton &button : buttons)
                labels.append(button.label);
        }
        QVERIFY(labels.size() > 8);
        for (const QString &label : std::as_const(labels)) {
            const auto fit = ShortcutButtonCell::fitLabel(label, grid->font(), side);
            QVERIFY2(!fit.elided, qPrintable(label));
            QCOMPARE(fit.lines.join(u' '), label.simplified());
        }
    }
};

QTEST_MAIN(TestLegibility)
#include "tst_Legibility.moc"
