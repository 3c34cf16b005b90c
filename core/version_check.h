// The new-version check: the program's version servers, fetching their version files, and what to tell the user.
#pragma once

#include "core/result.h"
#include "core/version_number.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace glyfex::core {

// A server of the program's makers: where its version file is and the download page it offers.
struct VersionServer {
    QUrl versionFile;
    QUrl downloadPage;
};
// The first server and its fallback.
using VersionServers = std::array<VersionServer, 2>;
VersionServers defaultVersionServers();

struct VersionCheckOutcome {
    enum Kind { ServersDown, UpToDate, NewerAvailable };
    Kind kind = ServersDown;
    QUrl page; // NewerAvailable: the download page to offer
    bool operator==(const VersionCheckOutcome &) const = default;
};

// What the check tells the user. A server whose version file could not be fetched or read has no
// version (nullopt), which is lower than any version. The page offered is the one of the server with
// the newer version; when both report the same one, the fallback's for a Polish interface (that server
// is the Polish site), else the first's.
VersionCheckOutcome decideVersionCheck(const std::array<std::optional<VersionNumber>, 2> &versions,
                                       const VersionNumber &own, const QString &languageName,
                                       const VersionServers &servers);

// Fetches version files over HTTP(S) without blocking the interface: every address at once, each with
// its own time limit, each reply kept in memory and capped at MaxVersionReplyBytes. A server counts
// only when it answers HTTP 200 with a version on its first line; anything else (no connection, a
// time-out, 404, a web page, an empty or overlong reply) is an error saying which address and why.
class VersionFetcher : public QObject {
    Q_OBJECT
public:
    using Results = std::vector<Result<VersionNumber>>;

    explicit VersionFetcher(QObject *parent = nullptr);
    ~VersionFetcher() override;

    // How long one server may take to answer in full, in milliseconds.
    void setTimeout(int milliseconds) { m_timeout = milliseconds; }
    bool isRunning() const { return m_pending > 0; }

    // Starts fetching; done gets one result per address, in the order given, once all have ended.
    // Ignored while a fetch is running.
    void fetch(const std::vector<QUrl> &addresses, std::function<void(const Results &)> done);

private:
    void finish(std::size_t index, QNetworkReply *reply);

    QNetworkAccessManager *m_manager;
    int m_timeout = 10000;
    int m_pending = 0;
    std::vector<std::optional<Result<VersionNumber>>> m_results;
    std::vector<QPointer<QNetworkReply>> m_replies;
    std::function<void(const Results &)> m_done;
};

} // namespace glyfex::core
