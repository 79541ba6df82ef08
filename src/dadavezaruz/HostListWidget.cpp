#include "dadavezaruz/HostListWidget.h"

#include "common/IconLibrary.h"
#include "dadavezaruz/SheetControls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

QLabel *symbolLabel(const QString &symbol, const QColor &color, int size)
{
    auto *label = new QLabel;
    label->setPixmap(IconLibrary::pixmap(symbol, QSize(size, size), color,
                                         IconLibrary::monochromeSecondary(color)));
    label->setFixedSize(size, size);
    return label;
}

QWidget *rowWidget(const HostListWidget::Row &row)
{
    auto *widget = new QWidget;
    auto *layout = new QHBoxLayout(widget);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(10);
    layout->addWidget(symbolLabel(row.symbol, row.color, 22));
    auto *texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(new QLabel(row.title));
    if (!row.subtitle.isEmpty())
        texts->addWidget(SheetControls::noteLabel(row.subtitle));
    layout->addLayout(texts, 1);
    if (!row.trailing.isEmpty())
        layout->addWidget(symbolLabel(row.trailing, row.trailingColor, 16));
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    return widget;
}

} // namespace

HostListWidget::HostListWidget(const QString &name, QWidget *parent) : QListWidget(parent)
{
    setObjectName(name);
    setFrameShape(QFrame::NoFrame);
    setStyleSheet(u"QListWidget { background: transparent; }"_s);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
}

void HostListWidget::addRow(const QString &accessibleText, const Row &row)
{
    auto *item = new QListWidgetItem(this);
    item->setData(Qt::AccessibleTextRole, accessibleText);
    QWidget *widget = rowWidget(row);
    item->setSizeHint(widget->sizeHint());
    setItemWidget(item, widget);
}

void HostListWidget::fitToRows()
{
    int height = 0;
    for (int row = 0; row < count(); ++row)
        height += sizeHintForRow(row);
    setFixedHeight(height + 2 * frameWidth());
    setVisible(count() > 0);
}

} // namespace hb
