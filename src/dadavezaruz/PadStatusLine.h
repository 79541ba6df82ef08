#pragma once

#include <QWidget>

class QLabel;
class QSequentialAnimationGroup;

namespace hb {

class DadavezaRuzConnection;

// The pad's status line: a dot that is green while the server types the presses, the
// connection's state in words, and "Sent: …" fading in and out after each press the server took.
class PadStatusLine : public QWidget {
    Q_OBJECT

public:
    // The words for the connection's state.
    static QString text(const DadavezaRuzConnection &connection);

    explicit PadStatusLine(const DadavezaRuzConnection &connection, QWidget *parent = nullptr);

    // Shows the connection's state as it is now.
    void refresh();

private:
    QLabel *buildSentLabel();
    void showSentLabel();

    const DadavezaRuzConnection &m_connection;
    QLabel *m_dot;
    QLabel *m_status;
    QLabel *m_sent;
    QSequentialAnimationGroup *m_sentFade;
};

} // namespace hb
