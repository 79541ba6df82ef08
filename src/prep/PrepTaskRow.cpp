#include "prep/PrepTaskRow.h"

#include "common/IconLibrary.h"
#include "prep/PrepClampedLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kDoneSymbol = u"checkmark.circle.fill"_s;
const QString kOpenSymbol = u"circle"_s;
const QString kDone = u"Done"_s;
const QString kUndo = u"Undo"_s;
const QColor kGreen(0x30, 0xD1, 0x58);

constexpr int kRowSpacing = 10;
constexpr int kTextSpacing = 4;

} // namespace

PrepTaskRow::PrepTaskRow(const PrepTask &task, QWidget *parent)
    : QWidget(parent), m_task(task), m_symbol(new QLabel), m_title(new QLabel(task.title)),
      m_details(new PrepClampedLabel(kDetailsLines)), m_toggle(new QPushButton)
{
    const QFontMetrics metrics = fontMetrics();
    const int symbolSide = metrics.height();
    const QColor symbolColor = task.isDone ? kGreen : palette().color(QPalette::PlaceholderText);
    m_symbol->setObjectName(u"statusSymbol"_s);
    m_symbol->setPixmap(
        IconLibrary::pixmap(symbolName(), QSize(symbolSide, symbolSide), symbolColor,
                            IconLibrary::monochromeSecondary(symbolColor), devicePixelRatioF()));

    m_title->setObjectName(u"taskTitle"_s);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setWordWrap(true);
    m_title->setMinimumHeight(metrics.height()); // an empty title still takes its line
    QFont titleFont = m_title->font();
    titleFont.setStrikeOut(task.isDone);
    m_title->setFont(titleFont);

    m_details->setObjectName(u"taskDetails"_s);
    QFont detailsFont = m_details->font();
    detailsFont.setPointSizeF(detailsFont.pointSizeF() * 0.9);
    m_details->setFont(detailsFont);
    m_details->setText(task.details.trimmed().isEmpty() ? QString() : task.details);
    m_details->setVisible(!m_details->text().isEmpty());

    m_toggle->setObjectName(u"toggleButton"_s);
    m_toggle->setText(task.isDone ? kUndo : kDone);
    m_toggle->setAutoDefault(false);
    m_toggle->setCursor(Qt::PointingHandCursor);
    m_toggle->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_toggle->setToolTip(task.isDone ? u"Mark as not done"_s : u"Mark as done"_s);

    auto *text = new QVBoxLayout;
    text->setSpacing(kTextSpacing);
    text->addWidget(m_title);
    text->addWidget(m_details);

    // The symbol and the title line up with the middle of the button, on the row's first line.
    const int firstLineInset = std::max(0, (m_toggle->sizeHint().height() - symbolSide) / 2);
    m_symbol->setFixedSize(symbolSide, symbolSide + firstLineInset);
    m_symbol->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    text->setContentsMargins(0, firstLineInset, 0, 0);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 6, 8, 6);
    row->setSpacing(kRowSpacing);
    row->addWidget(m_symbol, 0, Qt::AlignTop);
    row->addLayout(text, 1);
    row->addWidget(m_toggle, 0, Qt::AlignTop);

    connect(m_toggle, &QPushButton::clicked, this, [this] { Q_EMIT toggleRequested(m_task.id); });
}

QString PrepTaskRow::symbolName() const
{
    return m_task.isDone ? kDoneSymbol : kOpenSymbol;
}

} // namespace hb
