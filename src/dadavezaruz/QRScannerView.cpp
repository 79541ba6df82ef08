#include "dadavezaruz/QRScannerView.h"

#include "common/IconLibrary.h"
#include "dadavezaruz/QrCodeImageReader.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QImageReader>
#include <QKeySequence>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

const QString kTitle = u"Scan QR Code"_s;
const QString kNotice =
    u"Pair from a picture of the server’s QR code: choose an image file, paste a "
    u"screenshot (Ctrl+V) or drop an image here."_s;
const QString kChooseImage = u"Choose Image…"_s;
const QString kPasteImage = u"Paste Image"_s;
const QString kNoImage = u"That file is not an image this program can read."_s;
const QString kNoClipboardImage =
    u"The clipboard holds no image. Take a screenshot of the QR code first."_s;

QImage imageFromMime(const QMimeData *mime)
{
    if (!mime)
        return {};
    if (mime->hasImage())
        return qvariant_cast<QImage>(mime->imageData());
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            return QImage(url.toLocalFile());
    }
    return {};
}

} // namespace

QRScannerView::QRScannerView(QWidget *parent) : QDialog(parent), m_problem(new QLabel)
{
    setWindowTitle(kTitle);
    setAcceptDrops(true);

    auto *symbol = new QLabel;
    symbol->setPixmap(IconLibrary::pixmap(
        u"qrcode.viewfinder"_s, QSize(56, 56), QColor(u"#18D3BC"_s),
        IconLibrary::monochromeSecondary(QColor(u"#18D3BC"_s)), devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignCenter);
    auto *notice = new QLabel(kNotice);
    notice->setObjectName(u"notice"_s);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignCenter);
    m_problem->setObjectName(u"problem"_s);
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(u"color: #FC4444;"_s);
    m_problem->hide();

    auto *buttons = new QDialogButtonBox;
    QPushButton *choose = buttons->addButton(kChooseImage, QDialogButtonBox::ActionRole);
    choose->setObjectName(u"chooseImage"_s);
    QPushButton *paste = buttons->addButton(kPasteImage, QDialogButtonBox::ActionRole);
    paste->setObjectName(u"pasteImage"_s);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(choose, &QPushButton::clicked, this, &QRScannerView::chooseFile);
    connect(paste, &QPushButton::clicked, this, &QRScannerView::scanClipboard);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *pasteShortcut = new QShortcut(QKeySequence::Paste, this);
    connect(pasteShortcut, &QShortcut::activated, this, &QRScannerView::scanClipboard);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 16);
    layout->setSpacing(14);
    layout->addWidget(symbol);
    layout->addWidget(notice);
    layout->addWidget(m_problem);
    layout->addStretch(1);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

void QRScannerView::scanImage(const QImage &image)
{
    const QString text = readQrCode(image).value_or(QString());
    accept();
    if (onCodeScanned)
        onCodeScanned(text);
}

void QRScannerView::scanFile(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true); // photos taken sideways
    const QImage image = reader.read();
    if (image.isNull()) {
        m_problem->setText(kNoImage);
        m_problem->show();
        return;
    }
    scanImage(image);
}

void QRScannerView::scanClipboard()
{
    const QImage image = imageFromMime(QApplication::clipboard()->mimeData());
    if (image.isNull()) {
        m_problem->setText(kNoClipboardImage);
        m_problem->show();
        return;
    }
    scanImage(image);
}

void QRScannerView::chooseFile()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns.append(u"*."_s + QString::fromLatin1(format));
    const QString path = QFileDialog::getOpenFileName(this, kChooseImage, {},
                                                      tr("Images (%1)").arg(patterns.join(u' ')));
    if (!path.isEmpty())
        scanFile(path);
}

void QRScannerView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasImage() || event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void QRScannerView::dropEvent(QDropEvent *event)
{
    const QImage image = imageFromMime(event->mimeData());
    if (image.isNull()) {
        m_problem->setText(kNoImage);
        m_problem->show();
        return;
    }
    event->acceptProposedAction();
    scanImage(image);
}

} // namespace hb
