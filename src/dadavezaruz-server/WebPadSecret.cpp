#include "dadavezaruz-server/WebPadSecret.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <array>

namespace hb {

namespace {

bool isBase64UrlChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') ||
           u == u'-' || u == u'_';
}

} // namespace

QString WebPadSecret::generate()
{
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray bytes(reinterpret_cast<const char *>(words.data()), sizeof words);
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

bool WebPadSecret::isWellFormed(QStringView text)
{
    if (text.size() != kLength)
        return false;
    for (const QChar c : text) {
        if (!isBase64UrlChar(c))
            return false;
    }
    return true;
}

bool WebPadSecret::matches(QStringView expected, QStringView given)
{
    // The length of a secret is no secret; its characters are. Every pair is compared and the
    // differences gathered, so the loop takes as long for a near miss as for a wild guess.
    if (expected.size() != given.size())
        return false;
    char16_t difference = 0;
    for (qsizetype i = 0; i < expected.size(); ++i)
        difference |= char16_t(expected[i].unicode() ^ given[i].unicode());
    return difference == 0;
}

} // namespace hb
