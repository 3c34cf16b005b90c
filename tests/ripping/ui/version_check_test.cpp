// The new-version check against a real HTTP server on 127.0.0.1: what the user is told, the steps shown, and the page opened.
#include "core/ui/url_opener.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/version_check_window.h"

#include "support/app_test.h"
#include "support/qt_print.h"

#include <QAction>
#include <QHash>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::ripping::ui;
using glyfex::app::App;

namespace {

// Serves fixed replies by path; a path it does not know gets 404, a "silent" one no answer at all.
class TestHttpServer {
public:
    struct Page {
        int status = 200;
        QByteArray body;
        bool silent = false;
    };
    QHash<QString, Page> pages;
    QStringList requested;

    TestHttpServer()
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
        });
    }
    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n"))
            return;
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        requested << path;
        const Page page = pages.value(path, Page{404, "<html><body>Not Found</body></html>", false});
        if (page.silent)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(page.status) + (page.status == 200 ? " OK" : " Not Found") +
                      "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(page.body.size()) + "\r\n\r\n" + page.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
};

// A port nothing listens on: taken from the system, then given back.
quint16 closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

class VersionCheckTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        server.pages.insert(QStringLiteral("/v150b1"), {200, "1.50b1\r\n"});
        server.pages.insert(QStringLiteral("/v150"), {200, "1.50"});
        server.pages.insert(QStringLiteral("/v151"), {200, "1.51\n"});
        server.pages.insert(QStringLiteral("/v152b1"), {200, "1.52b1"});
        server.pages.insert(QStringLiteral("/bom_crlf"), {200, "\xEF\xBB\xBF" "1.51\r\nnotes\r\n"});
        server.pages.insert(QStringLiteral("/html"), {200, "<!DOCTYPE html>\n<html><body>1.51</body></html>"});
        server.pages.insert(QStringLiteral("/empty"), {200, ""});
        server.pages.insert(QStringLiteral("/slow"), {200, "", true});
        check = qobject_cast<VersionCheckWindow *>(app.window(QStringLiteral("Form20")));
        ASSERT_TRUE(check);
        check->setTimeout(400);
    }

    QUrl address(const char *path) const
    {
        if (QLatin1String(path) == QLatin1String("closed"))
            return QUrl(QStringLiteral("http://127.0.0.1:%1/v151").arg(closedPort()));
        return server.url(QLatin1String(path));
    }
    static QUrl page(int server) { return QUrl(QStringLiteral("http://127.0.0.1/download%1.html").arg(server)); }

    // Runs one check to its end; the answer given to the question "visit the page?".
    core::VersionCheckOutcome run(const char *first, const char *fallback, core::Answer answer = core::Answer::Yes)
    {
        check->setServers({core::VersionServer{address(first), page(1)}, core::VersionServer{address(fallback), page(2)}});
        prompt.answers = {answer};
        std::optional<core::VersionCheckOutcome> outcome;
        QObject::connect(check, &VersionCheckWindow::finished, check,
                         [&](core::VersionCheckOutcome o, QUrl) { outcome = o; }, Qt::SingleShotConnection);
        check->start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 10000));
        return outcome.value_or(core::VersionCheckOutcome{});
    }

    TestHttpServer server;
    VersionCheckWindow *check = nullptr;
    QList<QUrl> opened;
    core::ui::ScopedUrlOpener opener{[this](const QUrl &url) {
        opened << url;
        return true;
    }};
};

const QString kServersDown = QStringLiteral("warn: Warning\r\nServer is down or\ryou are not connected to Intenet.");
const QString kUpToDate = QStringLiteral("inform: Information\r\nYou have actual version.");
const QString kNewer = QStringLiteral(
    "confirm: Confirm\r\nA new version of Glyfex is available for download!\rDo you want to visit the Glyfex page?");

TEST_F(VersionCheckTest, TellsWhatTheServersSayAndOpensTheRightPage)
{
    struct Row {
        const char *name;
        const char *first;
        const char *fallback;
        const char *language;
        QString told;
        int pageOpened; // 0: none
    };
    const Row rows[] = {
        {"both servers unreachable", "closed", "closed", "", kServersDown, 0},
        {"404 and a web page are failed servers", "/nothing", "/html", "", kServersDown, 0},
        {"empty replies are failed servers", "/empty", "/empty", "", kServersDown, 0},
        {"both say our version", "/v150b1", "/v150b1", "", kUpToDate, 0},
        {"first newer, fallback unreachable", "/v151", "closed", "", kNewer, 1},
        {"the release of our beta is newer", "/v150", "/nothing", "", kNewer, 1},
        {"fallback newer than first", "/v150", "/v152b1", "", kNewer, 2},
        {"mark and CR LF, fallback empty", "/bom_crlf", "/empty", "", kNewer, 1},
        {"first too slow, fallback newer", "/slow", "/v151", "", kNewer, 2},
        {"same newer version, Polish interface", "/v151", "/v151", "Polski", kNewer, 2},
        {"same newer version, other interface", "/v151", "/v151", "Deutsch", kNewer, 1},
    };
    for (const Row &r : rows) {
        prompt.shown.clear();
        opened.clear();
        app.config.main.languageName = QLatin1String(r.language);
        run(r.first, r.fallback);
        EXPECT_EQ(prompt.shown, QStringList{r.told}) << r.name;
        EXPECT_EQ(opened, r.pageOpened ? QList<QUrl>{page(r.pageOpened)} : QList<QUrl>{}) << r.name;
        EXPECT_FALSE(check->isVisible()) << r.name;
    }
}

TEST_F(VersionCheckTest, NoOpensNothing)
{
    EXPECT_EQ(run("/v151", "/v151", core::Answer::No).kind, core::VersionCheckOutcome::NewerAvailable);
    EXPECT_EQ(prompt.shown, QStringList{kNewer});
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(VersionCheckTest, StepInProgressIsBoldWithDotsAndEndsPlain)
{
    auto *connect = check->findChild<QLabel *>(QStringLiteral("LabelConnect"));
    auto *checking = check->findChild<QLabel *>(QStringLiteral("LabelCheckVersion"));
    auto *web = check->findChild<QLabel *>(QStringLiteral("LabelOpenWeb"));
    ASSERT_TRUE(connect && checking && web);
    check->setServers({core::VersionServer{address("/slow"), page(1)}, core::VersionServer{address("/slow"), page(2)}});
    check->start();
    EXPECT_TRUE(check->isVisible());
    EXPECT_EQ(connect->text(), QStringLiteral("Connecting..."));
    EXPECT_TRUE(connect->font().bold());
    EXPECT_FALSE(checking->font().bold());
    // A second start while the first runs changes nothing.
    check->start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !check->isRunning(); }, 10000));
    for (QLabel *l : {connect, checking, web}) {
        EXPECT_FALSE(l->text().endsWith(QLatin1String("..."))) << l->objectName().toStdString();
        EXPECT_FALSE(l->font().bold()) << l->objectName().toStdString();
    }
    EXPECT_EQ(prompt.shown, QStringList{kServersDown});
}

TEST_F(VersionCheckTest, MenuItemStartsTheCheck)
{
    check->setServers({core::VersionServer{address("/v150b1"), page(1)}, core::VersionServer{address("/v150b1"), page(2)}});
    auto *item = app.mainWindow()->findChild<QAction *>(QStringLiteral("CheckNewVersion1"));
    ASSERT_TRUE(item);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !prompt.shown.isEmpty(); }, 10000));
    EXPECT_EQ(prompt.shown, QStringList{kUpToDate});
    EXPECT_EQ(server.requested, (QStringList{QStringLiteral("/v150b1"), QStringLiteral("/v150b1")}));
}

} // namespace
