#include "dadavezaruz/PresetPickerSheet.h"

#include "common/ColorHex.h"
#include "common/IconLibrary.h"
#include "dadavezaruz/PresetCatalogueFilter.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kTitle = u"Shortcut Presets"_s;
const QString kSearch = u"Search presets\u2026"_s;

constexpr int kIconSize = 20;
constexpr int PresetIdRole = Qt::UserRole + 1;

QLabel *secondaryLabel(const QString &text, qreal scale, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setForegroundRole(QPalette::PlaceholderText);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    label->setFont(font);
    return label;
}

} // namespace

PresetPickerSheet::PresetPickerSheet(QWidget *parent)
    : QDialog(parent), m_search(new QLineEdit), m_list(new QListWidget)
{
    setWindowTitle(kTitle);
    m_search->setObjectName(u"presetSearch"_s);
    m_search->setPlaceholderText(kSearch);
    m_search->setAccessibleName(kSearch);
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);

    m_list->setObjectName(u"presetList"_s);
    m_list->setAccessibleName(kTitle);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(false);
    m_list->setMinimumSize(360, 420);
    m_list->installEventFilter(this);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(u"cancelButton"_s);
    cancel->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    layout->addWidget(m_search);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);

    connect(m_search, &QLineEdit::textChanged, this, &PresetPickerSheet::refresh);
    connect(m_list, &QListWidget::itemClicked, this, &PresetPickerSheet::choose);
    connect(m_list, &QListWidget::itemActivated, this, &PresetPickerSheet::choose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    refresh();
}

QString PresetPickerSheet::searchText() const
{
    return m_search->text();
}

void PresetPickerSheet::setSearchText(const QString &text)
{
    m_search->setText(text);
}

QList<ShortcutPreset> PresetPickerSheet::listedPresets() const
{
    QList<ShortcutPreset> presets;
    for (int row = 0; row < m_list->count(); ++row) {
        if (const auto preset = presetAt(m_list->item(row)))
            presets.append(*preset);
    }
    return presets;
}

QStringList PresetPickerSheet::listedCategories() const
{
    QStringList categories;
    for (int row = 0; row < m_list->count(); ++row) {
        const QListWidgetItem *item = m_list->item(row);
        if (!presetAt(item))
            categories.append(item->data(Qt::AccessibleTextRole).toString());
    }
    return categories;
}

std::optional<ShortcutPreset> PresetPickerSheet::selectedPreset() const
{
    return presetAt(m_list->currentItem());
}

std::optional<ShortcutPreset> PresetPickerSheet::presetAt(const QListWidgetItem *item) const
{
    if (!item)
        return std::nullopt;
    const QString id = item->data(PresetIdRole).toString();
    if (id.isEmpty())
        return std::nullopt;
    for (const ShortcutPreset &preset : shortcutPresets()) {
        if (preset.id == id)
            return preset;
    }
    return std::nullopt;
}

void PresetPickerSheet::refresh()
{
    m_list->clear();
    for (const PresetSection &section :
         PresetCatalogueFilter::sections(shortcutPresets(), m_search->text())) {
        addSection(section.category);
        for (const ShortcutPreset &preset : section.presets)
            addRow(preset);
    }
    // Return in the search field picks the best match straight away.
    moveSelection(1);
}

void PresetPickerSheet::addSection(const QString &category)
{
    auto *item = new QListWidgetItem(m_list);
    item->setFlags(Qt::NoItemFlags);
    item->setData(Qt::AccessibleTextRole, category);
    QLabel *header = secondaryLabel(category, 0.85, nullptr);
    QFont font = header->font();
    font.setWeight(QFont::DemiBold);
    header->setFont(font);
    header->setContentsMargins(6, 10, 6, 2);
    item->setSizeHint(header->sizeHint());
    m_list->setItemWidget(item, header);
}

void PresetPickerSheet::addRow(const ShortcutPreset &preset)
{
    auto *item = new QListWidgetItem(m_list);
    item->setData(PresetIdRole, preset.id);
    item->setData(Qt::AccessibleTextRole, preset.label);
    item->setData(Qt::AccessibleDescriptionRole, preset.keyCombo);

    auto *row = new QWidget;
    const QColor color = colorFromHex(preset.colorHex);
    auto *icon = new QLabel(row);
    icon->setPixmap(IconLibrary::pixmap(preset.sfSymbol, QSize(kIconSize, kIconSize), color,
                                        IconLibrary::monochromeSecondary(color),
                                        devicePixelRatioF()));
    icon->setFixedSize(kIconSize + 8, kIconSize);
    auto *label = new QLabel(preset.label, row);
    QLabel *keys = secondaryLabel(preset.keyCombo, 0.85, row);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(keys->font().pointSizeF());
    keys->setFont(mono);

    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(8);
    layout->addWidget(icon);
    layout->addWidget(label, 1);
    layout->addWidget(keys);
    item->setSizeHint(row->sizeHint());
    m_list->setItemWidget(item, row);
}

void PresetPickerSheet::moveSelection(int step)
{
    const int count = m_list->count();
    int row = m_list->currentRow();
    if (!presetAt(m_list->currentItem()))
        row = step > 0 ? -1 : count;
    for (int next = row + step; next >= 0 && next < count; next += step) {
        if (presetAt(m_list->item(next))) {
            m_list->setCurrentRow(next);
            m_list->scrollToItem(m_list->item(next));
            return;
        }
    }
}

bool PresetPickerSheet::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_search || watched == m_list) && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            moveSelection(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            choose(m_list->currentItem());
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PresetPickerSheet::choose(const QListWidgetItem *item)
{
    const auto preset = presetAt(item);
    if (!preset || m_chosen)
        return;
    m_chosen = true;
    Q_EMIT presetChosen(*preset);
    accept();
}

} // namespace hb
