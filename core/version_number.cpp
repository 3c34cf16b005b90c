// Version texts parsed into ordered values, and the first line of a server's version file.
#include "core/version_number.h"

#include <QStringDecoder>

namespace glyfex::core {

namespace {

// A run of ASCII digits as a non-negative int; nullopt for an empty run or one too large.
std::optional<int> digits(QStringView s)
{
    if (s.isEmpty() || s.size() > 9)
        return std::nullopt;
    int value = 0;
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

std::optional<VersionNumber> versionToNumber(const QString &text)
{
    QStringView s(text);
    VersionNumber v;
    const qsizetype b = s.indexOf(u'b');
    if (b >= 0) {
        const auto beta = digits(s.sliced(b + 1));
        if (!beta || *beta == 0)
            return std::nullopt;
        v.beta = *beta;
        s = s.first(b);
    }
    qsizetype separator = s.indexOf(u',');
    if (separator < 0)
        separator = s.indexOf(u'.');
    const auto major = digits(separator < 0 ? s : s.first(separator));
    if (!major)
        return std::nullopt;
    v.major = *major;
    if (separator >= 0) {
        const QStringView fraction = s.sliced(separator + 1);
        const auto minor = fraction.size() <= 3 ? digits(fraction) : std::nullopt;
        if (!minor)
            return std::nullopt;
        v.minor = *minor;
        for (qsizetype n = fraction.size(); n < 3; ++n)
            v.minor *= 10;
    }
    return v;
}

Result<VersionNumber> parseVersionReply(const QByteArray &reply, const QString &address)
{
    const QString what = QStringLiteral("Cannot read the version file");
    if (reply.size() > MaxVersionReplyBytes)
        return makeError(what, address, QStringLiteral("%1 bytes is too long for a version file").arg(reply.size()));
    QString text;
    if (reply.startsWith("\xFF\xFE") || reply.startsWith("\xFE\xFF")) {
        auto decoder = QStringDecoder(reply.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                                      QStringDecoder::Flag::Stateless);
        text = decoder.decode(QByteArrayView(reply).sliced(2));
    } else {
        const QByteArrayView body = reply.startsWith("\xEF\xBB\xBF") ? QByteArrayView(reply).sliced(3) : reply;
        text = QString::fromUtf8(body);
    }
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    const QString first = text.first(end).trimmed();
    if (first.isEmpty())
        return makeError(what, address, QStringLiteral("the file is empty"));
    if (first.startsWith(u'<'))
        return makeError(what, address, QStringLiteral("the server sent a web page, not a version"));
    const auto version = versionToNumber(first);
    if (!version)
        return makeError(what, address, QStringLiteral("\"%1\" is not a version").arg(first.left(40)));
    return *version;
}

} // namespace glyfex::core
