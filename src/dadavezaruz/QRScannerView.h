#pragma once

#include <QDialog>

#include <functional>

class QLabel;

namespace hb {

// Reads a pairing QR code from a picture: an image file, an image on the clipboard (a
// screenshot of the server's code) or one dropped on the window. It then closes and hands the
// code's text on; an empty text when the picture holds no readable code.
class QRScannerView : public QDialog {
    Q_OBJECT

public:
    explicit QRScannerView(QWidget *parent = nullptr);

    std::function<void(const QString &text)> onCodeScanned;

    // Reads the picture, closes, and calls onCodeScanned.
    void scanImage(const QImage &image);
    // Reads an image file; a file that is no image is reported here and the view stays open.
    void scanFile(const QString &path);
    void scanClipboard();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void chooseFile();

    QLabel *m_problem;
};

} // namespace hb
