#pragma once

#include "common/FormSection.h"

#include <QByteArray>

#include <optional>

class QLabel;
class QPushButton;

namespace hb {

// The button editor's custom thumbnail: the image in use, if any, and the buttons to choose a
// picture file, replace it or remove it.
class ButtonThumbnailSection : public FormSection {
    Q_OBJECT

public:
    explicit ButtonThumbnailSection(QWidget *parent = nullptr);

    // The stored image bytes, or none when the button shows its symbol.
    void setImage(const std::optional<QByteArray> &bytes);

Q_SIGNALS:
    // The user chose this file in the picture picker.
    void imageChosen(const QString &path);
    void removeRequested();

private:
    void openImagePicker();

    QWidget *m_imageInUse;
    QLabel *m_preview;
    QPushButton *m_choose;
    QPushButton *m_remove;
};

} // namespace hb
