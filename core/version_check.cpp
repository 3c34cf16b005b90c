// The new-version check's servers, its decision, and the fetcher of version files over QtNetwork.
#include "core/version_check.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace glyfex::core {

VersionServers defaultVersionServers()
{
    // Placeholders of the project's own: the reserved ".example" names never reach a real host.
    return {VersionServer{QUrl(QStringLiteral("https://www.glyfex.example/version.txt")),
                          QUrl(QStringLiteral("https://www.glyfex.example/download.html"))},
            VersionServer{QUrl(QStringLiteral("https://pl.glyfex.example/version.txt")),
                          QUrl(QStringLiteral("https://pl.glyfex.example/download.html"))}};
}

VersionCheckOutcome decideVersionCheck(const std::array<std::optional<VersionNumber>, 2> &versions,
                                       const VersionNumber &own, const QString &languageName,
                                       const VersionServers &servers)
{
    const auto &[first, fallback] = versions;
    if (!first && !fallback)
        return {VersionCheckOutcome::ServersDown, {}};
    const bool firstNewer = first && *first > own;
    const bool fallbackNewer = fallback && *fallback > own;
    if (!firstNewer && !fallbackNewer)
        return {VersionCheckOutcome::UpToDate, {}};
    int server = 0;
    if (!first || (fallback && *fallback > *first))
        server = 1;
    else if (fallback && *fallback == *first && languageName == QLatin1String("Polski"))
        server = 1;
    return {VersionCheckOutcome::NewerAvailable, servers[server].downloadPage};
}

VersionFetcher::VersionFetcher(QObject *parent) : QObject(parent), m_manager(new QNetworkAccessManager(this)) {}

VersionFetcher::~VersionFetcher()
{
    m_done = nullptr;
    for (const QPointer<QNetworkReply> &reply : m_replies) {
        if (reply) {
            reply->disconnect(this);
            reply->abort();
        }
    }
}

void VersionFetcher::fetch(const std::vector<QUrl> &addresses, std::function<void(const Results &)> done)
{
    if (isRunning())
        return;
    m_done = std::move(done);
    m_results.assign(addresses.size(), std::nullopt);
    m_replies.clear();
    m_pending = int(addresses.size());
    if (addresses.empty()) {
        if (m_done)
            m_done({});
        return;
    }
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        QNetworkRequest request(addresses[i]);
        request.setTransferTimeout(m_timeout);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        QNetworkReply *reply = m_manager->get(request);
        m_replies.emplace_back(reply);
        // A version file is one short line: a reply that grows past the cap is no version file.
        connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
            if (received > MaxVersionReplyBytes) {
                reply->setProperty("tooLong", true);
                reply->abort();
            }
        });
        connect(reply, &QNetworkReply::finished, this, [this, i, reply] { finish(i, reply); });
    }
}

void VersionFetcher::finish(std::size_t index, QNetworkReply *reply)
{
    reply->deleteLater();
    const QString address = reply->url().toString();
    const QString what = QStringLiteral("Cannot read the version file");
    Result<VersionNumber> result = makeError(what, address);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->property("tooLong").toBool())
        result = makeError(what, address, QStringLiteral("the reply is too long for a version file"));
    else if (reply->error() == QNetworkReply::OperationCanceledError)
        result = makeError(what, address, QStringLiteral("no answer within %1 s").arg(m_timeout / 1000.0));
    else if (reply->error() != QNetworkReply::NoError && status == 0)
        result = makeError(what, address, reply->errorString());
    else if (status != 200)
        result = makeError(what, address, QStringLiteral("the server answered HTTP %1").arg(status));
    else
        result = parseVersionReply(reply->read(MaxVersionReplyBytes + 1), address);
    m_results[index] = std::move(result);
    if (--m_pending > 0)
        return;
    Results results;
    for (auto &r : m_results)
        results.push_back(std::move(*r));
    m_results.clear();
    m_replies.clear();
    if (auto done = std::move(m_done))
        done(results);
}

} // namespace glyfex::core
