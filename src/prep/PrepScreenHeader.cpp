#include "prep/PrepScreenHeader.h"

#include "common/IconLibrary.h"
#include "common/ScreenTitle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kBack = u"Back"_s;
const QColor kRed(0xFC, 0x44, 0x44);
constexpr int kBackIconSide = 16;

// The icon set has a chevron pointing right only; Back points the other way.
QIcon backIcon(const QColor &color)
{
    const QImage chevron =
        IconLibrary::render(u"chevron.right"_s, QSize(kBackIconSide, kBackIconSide) * 2, color,
                            IconLibrary::monochromeSecondary(color));
    QPixmap pixmap = QPixmap::fromImage(chevron.mirrored(true, false));
    pixmap.setDevicePixelRatio(2);
    return QIcon(pixmap);
}

} // namespace

PrepScreenHeader::PrepScreenHeader(const QString &title, QWidget *parent)
    : QWidget(parent), m_row(new QHBoxLayout), m_back(new QPushButton(kBack)),
      m_title(new ScreenTitle(title)), m_error(new QLabel)
{
    m_back->setObjectName(u"backButton"_s);
    m_back->setIcon(backIcon(palette().color(QPalette::ButtonText)));
    m_back->setFlat(true);
    m_back->setAutoDefault(false);
    m_back->setCursor(Qt::PointingHandCursor);
    m_back->setToolTip(u"Back (Alt+Left)"_s);
    m_back->hide();

    m_title->setObjectName(u"screenTitle"_s);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setMinimumWidth(40);

    m_error->setObjectName(u"errorText"_s);
    m_error->setTextFormat(Qt::PlainText);
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPalette errorPalette = m_error->palette();
    errorPalette.setColor(QPalette::WindowText, kRed);
    m_error->setPalette(errorPalette);
    m_error->hide();

    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(10);
    m_row->addWidget(m_back);
    m_row->addWidget(m_title, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addLayout(m_row);
    layout->addWidget(m_error);

    connect(m_back, &QPushButton::clicked, this, &PrepScreenHeader::backRequested);
}

QString PrepScreenHeader::title() const
{
    return m_title->text();
}

void PrepScreenHeader::setTitle(const QString &title)
{
    m_title->setText(title);
}

void PrepScreenHeader::enableBack(QWidget *screen)
{
    m_back->show();
    for (const QKeySequence &keys :
         {QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(Qt::Key_Escape)}) {
        auto *shortcut = new QShortcut(keys, screen);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, m_back, &QPushButton::click);
    }
}

void PrepScreenHeader::addAction(QWidget *action)
{
    m_row->addWidget(action);
}

QString PrepScreenHeader::errorText() const
{
    return m_error->text();
}

void PrepScreenHeader::setErrorText(const QString &text)
{
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

} // namespace hb
