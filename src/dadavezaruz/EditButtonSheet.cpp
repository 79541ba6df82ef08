#include "dadavezaruz/EditButtonSheet.h"

#include "common/ColorHex.h"
#include "common/FormSection.h"
#include "common/IconLibrary.h"
#include "dadavezaruz/KeyCombo.h"
#include "dadavezaruz/KeyComboRecorderButton.h"
#include "dadavezaruz/PresetPickerSheet.h"
#include "dadavezaruz/ShortcutButtonCell.h"
#include "dadavezaruz/ShortcutPreset.h"

#include <QBuffer>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kTitle = u"Edit Button"_s;
const QString kLabelSection = u"Label"_s;
const QString kLabelField = u"Button label"_s;
const QString kIconSection = u"Icon"_s;
const QString kSymbolField = u"SF Symbol name"_s;
const QString kChoosePreset = u"Choose from Presets"_s;
const QString kThumbnailSection = u"Custom Thumbnail"_s;
const QString kChoosePhoto = u"Choose from Photos"_s;
const QString kReplaceImage = u"Replace Image"_s;
const QString kImageInUse = u"Custom image in use"_s;
const QString kRemoveImage = u"Remove Custom Image"_s;
const QString kImageNote =
    u"Square PNG or JPEG images work best. The image replaces the SF Symbol on this button."_s;
const QString kImageFilter = u"PNG or JPEG images (*.png *.jpg *.jpeg)"_s;
const QString kColorSection = u"Button Colour"_s;
const QString kColorWell = u"Colour"_s;
const QString kKeySection = u"Key Combination"_s;
const QString kKeyPlaceholder = u"e.g. cmd+shift+c"_s;
const QString kKeyNote = u"Modifiers: cmd, ctrl, alt, shift. Keys: a-z, 0-9, space, f1-f12, etc."_s;
const QString kTargetSection = u"Target App"_s;
const QString kDelete = u"Delete Button"_s;
const QString kDone = u"Done"_s;

const QString kErrorDomain = u"EditButtonSheet"_s;
const QString kImageTooLarge = u"This image is larger than 10 MB. Choose a smaller PNG or JPEG."_s;
const QString kImageUnreadable = u"This file could not be read: "_s;
const QString kImageWrongKind = u"This file is not a PNG or JPEG image."_s;
const QString kButtonMissing = u"This button no longer exists."_s;

struct Target {
    QString label;
    QString id;
};

const QList<Target> &targets()
{
    static const QList<Target> list = {
        {u"DaVinci Resolve"_s, u"resolve"_s},
        {u"OBS Studio"_s, u"obs"_s},
        {u"Global (frontmost)"_s, u"global"_s},
    };
    return list;
}

constexpr int kSymbolPreviewSize = 24;
constexpr int kImagePreviewSize = 40;
const QSize kWellSize(44, 26);

QColor destructiveColor()
{
    return colorFromHex(u"#FC4444"_s);
}

QLabel *noteLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    return label;
}

QLineEdit *textField(const QString &placeholder, const QString &name)
{
    auto *field = new QLineEdit;
    field->setObjectName(name);
    field->setPlaceholderText(placeholder);
    field->setAccessibleName(placeholder);
    return field;
}

QPushButton *formButton(const QString &text, const QString &name)
{
    auto *button = new QPushButton(text);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QPixmap swatch(const QColor &color, QSize size, qreal ratio)
{
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.3f), 1));
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5), 6,
                            6);
    return pixmap;
}

Error imageError(int code, const QString &description)
{
    return Error{kErrorDomain, code, description};
}

} // namespace

EditButtonSheet::EditButtonSheet(ShortcutPad &pad, qint64 buttonId, QWidget *parent)
    : QDialog(parent), m_pad(pad)
{
    setWindowTitle(kTitle);
    m_button.id = buttonId;
    m_typingSave.setSingleShot(true);
    m_typingSave.setInterval(kTypingPause);
    connect(&m_typingSave, &QTimer::timeout, this, &EditButtonSheet::save);

    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(buildForm());
    scroll->setMinimumSize(440, 520);

    m_error = new QLabel;
    m_error->setObjectName(u"errorText"_s);
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette red = m_error->palette();
    red.setColor(QPalette::WindowText, destructiveColor());
    m_error->setPalette(red);
    m_error->hide();

    auto *buttons = new QDialogButtonBox;
    QPushButton *done = buttons->addButton(kDone, QDialogButtonBox::AcceptRole);
    done->setObjectName(u"doneButton"_s);
    done->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(scroll, 1);
    layout->addWidget(m_error);
    layout->addWidget(buttons);

    load(buttonId);
}

QWidget *EditButtonSheet::buildForm()
{
    m_form = new QWidget;
    auto *form = new QVBoxLayout(m_form);
    form->setContentsMargins(4, 4, 4, 4);
    form->setSpacing(16);
    form->addWidget(buildLabelSection());
    form->addWidget(buildIconSection());
    form->addWidget(buildThumbnailSection());
    form->addWidget(buildColorSection());
    form->addWidget(buildKeySection());
    form->addWidget(buildTargetSection());
    form->addWidget(buildDeleteSection());
    form->addStretch(1);
    return m_form;
}

QWidget *EditButtonSheet::buildLabelSection()
{
    auto *section = new FormSection(kLabelSection);
    m_label = textField(kLabelField, u"labelField"_s);
    section->body()->addWidget(m_label);
    connect(m_label, &QLineEdit::textEdited, this, &EditButtonSheet::textEdited);
    return section;
}

QWidget *EditButtonSheet::buildIconSection()
{
    auto *section = new FormSection(kIconSection);
    m_symbol = textField(kSymbolField, u"symbolField"_s);
    m_symbolPreview = new QLabel;
    m_symbolPreview->setFixedSize(kSymbolPreviewSize, kSymbolPreviewSize);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(m_symbolPreview);
    row->addWidget(m_symbol, 1);
    QPushButton *presets = formButton(kChoosePreset, u"choosePresetButton"_s);
    section->body()->addLayout(row);
    section->body()->addWidget(presets, 0, Qt::AlignLeft);
    connect(m_symbol, &QLineEdit::textEdited, this, &EditButtonSheet::textEdited);
    connect(presets, &QPushButton::clicked, this, &EditButtonSheet::openPresetPicker);
    return section;
}

QWidget *EditButtonSheet::buildThumbnailSection()
{
    auto *section = new FormSection(kThumbnailSection);
    m_imageInUse = new QWidget;
    m_imageInUse->setObjectName(u"imageInUse"_s);
    m_imagePreview = new QLabel(m_imageInUse);
    m_imagePreview->setFixedSize(kImagePreviewSize, kImagePreviewSize);
    auto *inUse = new QHBoxLayout(m_imageInUse);
    inUse->setContentsMargins(0, 0, 0, 0);
    inUse->setSpacing(10);
    inUse->addWidget(m_imagePreview);
    inUse->addWidget(new QLabel(kImageInUse, m_imageInUse), 1);

    m_chooseImage = formButton(kChoosePhoto, u"chooseImageButton"_s);
    m_removeImage = formButton(kRemoveImage, u"removeImageButton"_s);
    QPalette red = m_removeImage->palette();
    red.setColor(QPalette::ButtonText, destructiveColor());
    m_removeImage->setPalette(red);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(m_chooseImage);
    buttons->addWidget(m_removeImage);
    buttons->addStretch(1);
    section->body()->addWidget(m_imageInUse);
    section->body()->addLayout(buttons);
    section->body()->addWidget(noteLabel(kImageNote));
    connect(m_chooseImage, &QPushButton::clicked, this, &EditButtonSheet::openImagePicker);
    connect(m_removeImage, &QPushButton::clicked, this, &EditButtonSheet::removeCustomImage);
    return section;
}

QWidget *EditButtonSheet::buildColorSection()
{
    auto *section = new FormSection(kColorSection);
    m_colorWell = new QToolButton;
    m_colorWell->setObjectName(u"colorWell"_s);
    m_colorWell->setAccessibleName(kColorWell);
    m_colorWell->setToolTip(kColorWell);
    m_colorWell->setIconSize(kWellSize);
    m_colorWell->setAutoRaise(true);
    auto *label = new QLabel(kColorWell);
    label->setBuddy(m_colorWell);
    auto *row = new QHBoxLayout;
    row->addWidget(label, 1);
    row->addWidget(m_colorWell);
    section->body()->addLayout(row);
    connect(m_colorWell, &QToolButton::clicked, this, &EditButtonSheet::openColorDialog);
    return section;
}

QWidget *EditButtonSheet::buildKeySection()
{
    auto *section = new FormSection(kKeySection);
    m_keyCombo = textField(kKeyPlaceholder, u"keyComboField"_s);
    m_keyCombo->setAccessibleName(kKeySection);
    auto *record = new KeyComboRecorderButton;
    record->setObjectName(u"recordKeyCombo"_s);
    auto *row = new QHBoxLayout;
    row->addWidget(m_keyCombo, 1);
    row->addWidget(record);
    section->body()->addLayout(row);
    m_keyProblem = new QLabel;
    m_keyProblem->setObjectName(u"keyComboProblem"_s);
    m_keyProblem->setWordWrap(true);
    m_keyProblem->setStyleSheet(u"color: %1;"_s.arg(destructiveColor().name()));
    m_keyProblem->hide();
    section->body()->addWidget(m_keyProblem);
    section->body()->addWidget(noteLabel(kKeyNote));
    connect(m_keyCombo, &QLineEdit::textEdited, this, &EditButtonSheet::textEdited);
    connect(record, &KeyComboRecorderButton::recorded, this, [this](const QString &combo) {
        m_keyCombo->setText(combo);
        m_button.keyCombo = combo;
        refreshKeyProblem();
        save();
    });
    connect(record, &KeyComboRecorderButton::unsupported, this,
            [this](const QString &description) { showKeyProblem(description); });
    return section;
}

void EditButtonSheet::refreshKeyProblem()
{
    const auto parsed = parseKeyCombo(m_button.keyCombo);
    showKeyProblem(parsed ? QString() : parsed.error().description);
}

void EditButtonSheet::showKeyProblem(const QString &text)
{
    m_keyProblem->setText(text);
    m_keyProblem->setVisible(!text.isEmpty());
}

QString EditButtonSheet::keyProblemText() const
{
    return m_keyProblem->isHidden() ? QString() : m_keyProblem->text();
}

QWidget *EditButtonSheet::buildTargetSection()
{
    auto *section = new FormSection(kTargetSection);
    m_target = new QComboBox;
    m_target->setObjectName(u"targetPicker"_s);
    m_target->setAccessibleName(kTargetSection);
    section->body()->addWidget(m_target);
    connect(m_target, &QComboBox::activated, this,
            [this](int index) { setAppTarget(m_target->itemData(index).toString()); });
    return section;
}

QWidget *EditButtonSheet::buildDeleteSection()
{
    auto *section = new FormSection({});
    QPushButton *remove = formButton(kDelete, u"deleteButton"_s);
    QPalette red = remove->palette();
    red.setColor(QPalette::ButtonText, destructiveColor());
    remove->setPalette(red);
    section->body()->addWidget(remove);
    connect(remove, &QPushButton::clicked, this, &EditButtonSheet::deleteButton);
    return section;
}

void EditButtonSheet::load(qint64 buttonId)
{
    const Expected<std::optional<ShortcutButton>> found = m_pad.button(buttonId);
    if (!found || !*found) {
        showError(found ? kButtonMissing : found.error().description);
        m_form->setEnabled(false);
        return;
    }
    m_button = **found;
    refresh();
}

void EditButtonSheet::refresh()
{
    m_label->setText(m_button.label);
    m_symbol->setText(m_button.sfSymbol);
    m_keyCombo->setText(m_button.keyCombo);
    refreshKeyProblem();
    refreshSymbolPreview();
    refreshTargets();

    const bool hasImage = m_button.customImageData.has_value();
    m_chooseImage->setText(hasImage ? kReplaceImage : kChoosePhoto);
    m_imageInUse->setVisible(hasImage);
    m_removeImage->setVisible(hasImage);
    const QImage image =
        hasImage ? ShortcutButtonCell::thumbnail(*m_button.customImageData) : QImage();
    if (image.isNull()) {
        m_imagePreview->clear();
    } else {
        const qreal ratio = devicePixelRatioF();
        QPixmap preview =
            QPixmap::fromImage(image.scaled(QSize(kImagePreviewSize, kImagePreviewSize) * ratio,
                                            Qt::KeepAspectRatio, Qt::SmoothTransformation));
        preview.setDevicePixelRatio(ratio);
        m_imagePreview->setPixmap(preview);
    }
}

void EditButtonSheet::refreshSymbolPreview()
{
    const QColor color = colorFromHex(m_button.colorHex);
    m_symbolPreview->setPixmap(
        IconLibrary::pixmap(m_button.sfSymbol, QSize(kSymbolPreviewSize, kSymbolPreviewSize), color,
                            IconLibrary::monochromeSecondary(color), devicePixelRatioF()));
    m_colorWell->setIcon(swatch(color, kWellSize, devicePixelRatioF()));
}

void EditButtonSheet::refreshTargets()
{
    const QSignalBlocker blocker(m_target);
    m_target->clear();
    for (const Target &target : targets())
        m_target->addItem(target.label, target.id);
    int index = m_target->findData(m_button.appTarget);
    if (index < 0) {
        // A target this sheet does not offer stays as stored until the user picks another.
        m_target->addItem(m_button.appTarget, m_button.appTarget);
        index = m_target->count() - 1;
    }
    m_target->setCurrentIndex(index);
}

QString EditButtonSheet::errorText() const
{
    return m_error->isHidden() ? QString() : m_error->text();
}

void EditButtonSheet::showError(const QString &text)
{
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

bool EditButtonSheet::report(const Expected<Done> &result)
{
    if (!result) {
        showError(result.error().description);
        return false;
    }
    showError({});
    Q_EMIT buttonChanged(m_button.id);
    return true;
}

void EditButtonSheet::textEdited()
{
    m_button.label = m_label->text();
    m_button.sfSymbol = m_symbol->text();
    m_button.keyCombo = m_keyCombo->text();
    refreshKeyProblem();
    refreshSymbolPreview();
    m_typingSave.start();
}

void EditButtonSheet::saveTyping()
{
    if (m_typingSave.isActive())
        save();
}

void EditButtonSheet::save()
{
    m_typingSave.stop();
    report(m_pad.updateButton(m_button));
}

void EditButtonSheet::setColor(const QColor &color)
{
    m_button.colorHex = hexFromColor(color);
    refreshSymbolPreview();
    save();
}

void EditButtonSheet::setAppTarget(const QString &target)
{
    if (target == m_button.appTarget)
        return;
    m_button.appTarget = target;
    refreshTargets();
    save();
}

Expected<QByteArray> EditButtonSheet::readImageFile(const QString &path)
{
    QFile file(path);
    if (QFileInfo(file).size() > kMaxImageBytes)
        return imageError(1, kImageTooLarge);
    if (!file.open(QIODevice::ReadOnly))
        return imageError(2, kImageUnreadable + file.errorString());
    // One byte past the limit tells a file that grew since it was measured.
    const QByteArray bytes = file.read(kMaxImageBytes + 1);
    if (bytes.size() > kMaxImageBytes)
        return imageError(1, kImageTooLarge);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if ((format != "png" && format != "jpeg") || reader.read().isNull())
        return imageError(3, kImageWrongKind);
    return bytes;
}

bool EditButtonSheet::useImageFile(const QString &path)
{
    const auto bytes = readImageFile(path);
    if (!bytes) {
        showError(bytes.error().description);
        return false;
    }
    saveTyping();
    if (!report(m_pad.setCustomImage(m_button.id, *bytes)))
        return false;
    m_button.customImageData = *bytes;
    refresh();
    return true;
}

void EditButtonSheet::removeCustomImage()
{
    saveTyping();
    if (!report(m_pad.setCustomImage(m_button.id, std::nullopt)))
        return;
    m_button.customImageData.reset();
    refresh();
}

void EditButtonSheet::applyPresetChoice(const ShortcutPreset &preset)
{
    saveTyping();
    if (!report(m_pad.applyPreset(m_button.id, preset)))
        return;
    m_button.label = preset.label;
    m_button.sfSymbol = preset.sfSymbol;
    m_button.colorHex = preset.colorHex;
    m_button.keyCombo = preset.keyCombo;
    m_button.appTarget = preset.appTarget;
    m_button.customImageData.reset();
    refresh();
}

void EditButtonSheet::deleteButton()
{
    m_typingSave.stop();
    const auto result = m_pad.deleteButton(m_button.id);
    if (!result) {
        showError(result.error().description);
        return;
    }
    Q_EMIT buttonDeleted(m_button.id);
    accept();
}

void EditButtonSheet::done(int result)
{
    saveTyping();
    QDialog::done(result);
}

void EditButtonSheet::openPresetPicker()
{
    auto *picker = new PresetPickerSheet(this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &PresetPickerSheet::presetChosen, this, &EditButtonSheet::applyPresetChoice);
    picker->open();
}

void EditButtonSheet::openImagePicker()
{
    const QString path = QFileDialog::getOpenFileName(
        this, kChoosePhoto, QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        kImageFilter);
    if (!path.isEmpty())
        useImageFile(path);
}

void EditButtonSheet::openColorDialog()
{
    const QColor color = QColorDialog::getColor(colorFromHex(m_button.colorHex), this, kColorWell);
    if (color.isValid())
        setColor(color);
}

} // namespace hb
