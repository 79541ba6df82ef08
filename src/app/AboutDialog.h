#pragma once

#include <QDialog>

namespace hb {

// Help → About Huebench: the version, the licence and the notices of the material it bundles.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // The texts shipped inside the program (":/about/…"), so they cannot go missing.
    static QString licenceText();
    static QString noticesText();
};

} // namespace hb
