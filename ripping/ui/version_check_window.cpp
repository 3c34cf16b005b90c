// Checks the program's servers for a newer version, step by step in a small window, and offers the download page.
#include "ripping/ui/version_check_window.h"

#include "core/messages.h"
#include "core/ui/language_applier.h"
#include "core/ui/url_opener.h"
#include "core/version.h"
#include "app/app.h"

#include <QLabel>
#include <QVBoxLayout>

namespace glyfex::ripping::ui {

namespace {

const QString kBusy = QStringLiteral("...");

} // namespace

VersionCheckWindow::VersionCheckWindow(app::App &app, QWidget *parent)
    : QDialog(parent, Qt::Tool), m_app(app), m_fetcher(new core::VersionFetcher(this)),
      m_servers(core::defaultVersionServers())
{
    setObjectName(QStringLiteral("Form20"));
    setWindowTitle(QStringLiteral("Check New Version"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->setSpacing(10);
    auto label = [this, layout](const char *name, const char *text) {
        auto *l = new QLabel(QString::fromLatin1(text), this);
        l->setObjectName(QString::fromLatin1(name));
        // Room for the bold text and its "..." so the window does not jump between steps.
        QFont bold = l->font();
        bold.setBold(true);
        l->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(l->text() + kBusy) + 40);
        layout->addWidget(l);
        return l;
    };
    m_connect = label("LabelConnect", "Connecting");
    m_checkVersion = label("LabelCheckVersion", "Checking version");
    m_openWeb = label("LabelOpenWeb", "Opening Web site");
    setFixedSize(sizeHint());
}

void VersionCheckWindow::setStep(QLabel *label, bool active)
{
    QFont font = label->font();
    font.setBold(active);
    label->setFont(font);
    QString text = label->text();
    if (text.endsWith(kBusy))
        text.chop(kBusy.size());
    label->setText(active ? text + kBusy : text);
    label->repaint();
}

void VersionCheckWindow::start()
{
    if (isRunning())
        return;
    for (QLabel *l : {m_connect, m_checkVersion, m_openWeb})
        setStep(l, false);
    if (QWidget *main = parentWidget()) {
        QRect frame = geometry();
        frame.moveCenter(main->geometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    setStep(m_connect, true);
    m_fetcher->fetch({m_servers[0].versionFile, m_servers[1].versionFile},
                     [this](const core::VersionFetcher::Results &results) { fetched(results); });
}

void VersionCheckWindow::fetched(const core::VersionFetcher::Results &results)
{
    std::array<std::optional<core::VersionNumber>, 2> versions;
    for (std::size_t i = 0; i < versions.size() && i < results.size(); ++i) {
        if (results[i])
            versions[i] = *results[i];
    }
    const auto own = core::versionToNumber(QLatin1String(core::kProgramVersion)).value_or(core::VersionNumber{});
    const core::VersionCheckOutcome outcome =
        core::decideVersionCheck(versions, own, m_app.config.main.languageName, m_servers);
    const QString crlf = QStringLiteral("\r\n");
    const QString cr = QStringLiteral("\r");
    if (outcome.kind == core::VersionCheckOutcome::ServersDown) {
        setStep(m_connect, false);
        m_app.prompt().warn(m_app.message(core::Msg::Warning) + crlf + m_app.message(core::Msg::ServerDown) + cr +
                            m_app.message(core::Msg::NotConnected));
        end(outcome);
        return;
    }
    setStep(m_connect, false);
    setStep(m_checkVersion, true);
    if (outcome.kind == core::VersionCheckOutcome::UpToDate) {
        m_app.prompt().inform(m_app.message(core::Msg::Information) + crlf + m_app.message(core::Msg::ActualVersion));
        setStep(m_checkVersion, false);
        end(outcome);
        return;
    }
    const core::Answer answer =
        m_app.prompt().confirmYesNo(m_app.message(core::Msg::Confirm) + crlf + m_app.message(core::Msg::NewVersionAvailable) +
                               cr + m_app.message(core::Msg::VisitHomePage));
    setStep(m_checkVersion, false);
    if (answer != core::Answer::Yes) {
        end(outcome);
        return;
    }
    setStep(m_openWeb, true);
    QUrl opened;
    if (!outcome.page.isEmpty() && core::ui::openUrl(outcome.page))
        opened = outcome.page;
    setStep(m_openWeb, false);
    end(outcome, opened);
}

void VersionCheckWindow::end(const core::VersionCheckOutcome &outcome, const QUrl &opened)
{
    close();
    Q_EMIT finished(outcome, opened);
}

} // namespace glyfex::ripping::ui
