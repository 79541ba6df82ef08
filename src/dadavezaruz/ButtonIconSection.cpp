#include "dadavezaruz/ButtonIconSection.h"

#include "common/IconLibrary.h"
#include "dadavezaruz/PresetPickerSheet.h"
#include "dadavezaruz/SheetControls.h"
#include "dadavezaruz/ShortcutPreset.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kIconSection = u"Icon"_s;
const QString kSymbolField = u"Icon name"_s;
const QString kChoosePreset = u"Choose from Presets"_s;

constexpr int kPreviewSize = 24;

} // namespace

ButtonIconSection::ButtonIconSection(QWidget *parent) : FormSection(kIconSection, parent)
{
    m_field = SheetControls::textField(kSymbolField, u"symbolField"_s);
    m_preview = new QLabel;
    m_preview->setFixedSize(kPreviewSize, kPreviewSize);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(m_preview);
    row->addWidget(m_field, 1);
    QPushButton *presets = SheetControls::formButton(kChoosePreset, u"choosePresetButton"_s);
    body()->addLayout(row);
    body()->addWidget(presets, 0, Qt::AlignLeft);
    connect(m_field, &QLineEdit::textEdited, this, &ButtonIconSection::edited);
    connect(presets, &QPushButton::clicked, this, &ButtonIconSection::openPresetPicker);
}

QString ButtonIconSection::symbol() const
{
    return m_field->text();
}

void ButtonIconSection::setSymbol(const QString &symbol)
{
    m_field->setText(symbol);
}

void ButtonIconSection::showPreview(const QString &symbol, const QColor &color)
{
    m_preview->setPixmap(IconLibrary::pixmap(symbol, QSize(kPreviewSize, kPreviewSize), color,
                                             IconLibrary::monochromeSecondary(color),
                                             devicePixelRatioF()));
}

void ButtonIconSection::openPresetPicker()
{
    // The picker belongs to the sheet, as the sheet's other dialogs do.
    auto *picker = new PresetPickerSheet(window());
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &PresetPickerSheet::presetChosen, this, &ButtonIconSection::presetChosen);
    picker->open();
}

} // namespace hb
