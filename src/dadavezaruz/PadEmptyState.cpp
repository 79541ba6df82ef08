#include "dadavezaruz/PadEmptyState.h"

#include "common/IconLibrary.h"
#include "dadavezaruz/PadColors.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kNoPages = u"No pages yet"_s;
const QString kAddFirstPage = u"Add First Page"_s;

} // namespace

PadEmptyState::PadEmptyState(const QColor &symbolColor, QWidget *parent) : QWidget(parent)
{
    setObjectName(u"emptyState"_s);
    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    auto *symbol = new QLabel;
    symbol->setPixmap(IconLibrary::pixmap(u"rectangle.grid.3x2"_s, QSize(64, 64), symbolColor,
                                          IconLibrary::monochromeSecondary(symbolColor)));
    symbol->setAlignment(Qt::AlignCenter);
    auto *text = new QLabel(kNoPages);
    text->setObjectName(u"emptyText"_s);
    text->setAlignment(Qt::AlignCenter);
    auto *add = new QPushButton(kAddFirstPage);
    add->setObjectName(u"addFirstPage"_s);
    add->setCursor(Qt::PointingHandCursor);
    add->setStyleSheet(u"QPushButton { background: %1; color: white; border-radius: 8px; "
                       u"padding: 8px 18px; font-weight: 600; }"_s.arg(PadColors::purple.name()));
    connect(add, &QPushButton::clicked, this, &PadEmptyState::addPageClicked);
    layout->addWidget(symbol);
    layout->addWidget(text);
    layout->addWidget(add, 0, Qt::AlignHCenter);
    layout->addStretch(2);
}

} // namespace hb
