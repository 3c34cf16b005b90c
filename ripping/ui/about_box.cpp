// The About box: picture, version, people and links; closed by a click or a key, moved by dragging.
#include "ripping/ui/about_box.h"

#include "core/ui/language_applier.h"
#include "core/ui/url_opener.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QUrlQuery>

namespace glyfex::ripping::ui {

namespace {

// The people named in the box. Placeholders of the project's own: the ".example" names reach no one.
struct Person {
    const char *name;       // component name of the label
    const char *caption;
    const char *mail;
    const char *homeName;   // component name of its "homepage" label; nullptr: none
    const char *homePage;
};
constexpr Person kAuthors[] = {
    {"LabelAuthor1", "Glyfex developers", "developers@glyfex.example", "LabelHomePage1", "https://www.glyfex.example/"},
};
constexpr Person kContributors[] = {
    {"LabelContributor1", "Glyfex translators", "translators@glyfex.example", nullptr, nullptr},
    {"LabelContributor2", "Glyfex testers", "testers@glyfex.example", nullptr, nullptr},
};

// The program's picture, drawn rather than shipped: a character cell with a glyph being matched.
QPixmap aboutPicture(int width, int height)
{
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(0x1c, 0x2c, 0x5a));
    sky.setColorAt(1, QColor(0x0a, 0x10, 0x24));
    p.fillRect(pixmap.rect(), sky);
    p.setPen(QPen(QColor(0x3c, 0x5c, 0xa8), 1));
    for (int x = 8; x < width; x += 12)
        p.drawLine(x, 0, x, height);
    for (int y = 8; y < height; y += 12)
        p.drawLine(0, y, width, y);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(height * 3 / 4);
    font.setBold(true);
    QPainterPath glyph;
    glyph.addText(0, 0, font, QStringLiteral("G"));
    const QRectF box = glyph.boundingRect();
    glyph.translate(width / 2.0 - box.center().x(), height / 2.0 - box.center().y());
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(QColor(0xf0, 0xc0, 0x30));
    p.drawPath(glyph);
    return pixmap;
}

} // namespace

AboutBox::AboutBox(const QString &version, const QString &creditsFile, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_version(version), m_creditsFile(creditsFile)
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("About Glyfex"));
    setFixedSize(ClientWidth, ClientHeight);
    setStyleSheet(QStringLiteral("QDialog#Form12 { background: #f4f1e8; border: 1px solid #404040; }"));

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("ImageAbout"));
    image->setGeometry(0, 0, ClientWidth, 96);
    image->setPixmap(aboutPicture(ClientWidth, 96));
    image->installEventFilter(this);
    installEventFilter(this); // the box itself is dragged and clicked like its picture

    const QString big = QStringLiteral("font-size: 20px; font-weight: bold;");
    QLabel *title = addLabel("LabelTitle", QStringLiteral("Glyfex"), 16, 100);
    title->setStyleSheet(big);
    title->adjustSize();
    // The version twice, one over the other a pixel apart: a shadow under the text.
    const QString shortVersion = version.left(4);
    QLabel *ver2 = addLabel("LabelVer2", shortVersion, 0, 0);
    ver2->setStyleSheet(big + QStringLiteral("color: #a0a0a0;"));
    ver2->adjustSize();
    QLabel *ver1 = addLabel("LabelVer1", shortVersion, 0, 0);
    ver1->setStyleSheet(big + QStringLiteral("color: #1c2c5a;"));
    ver1->adjustSize();
    ver1->move(ClientWidth - 16 - ver1->width(), 100);
    ver2->move(ver1->pos() + QPoint(1, 1));

    // People in a column right of the headings, their home page under their name.
    constexpr int column = 104;
    int y = 136;
    addLabel("LabelAuthors", QStringLiteral("Authors:"), 16, y);
    for (const Person &p : kAuthors) {
        addLabel(p.name, QLatin1String(p.caption), column, y, 1, QLatin1String(p.mail));
        y += 18;
        if (p.homeName) {
            addLabel(p.homeName, QStringLiteral("homepage"), column + 12, y, 1, QLatin1String(p.homePage));
            y += 18;
        }
    }
    y += 4;
    addLabel("LabelContributors", QStringLiteral("Contributors:"), 16, y);
    for (const Person &p : kContributors) {
        addLabel(p.name, QLatin1String(p.caption), column, y, 1, QLatin1String(p.mail));
        y += 18;
    }
    y += 4;
    QLabel *thanks = addLabel("LabelThanks", QStringLiteral("With thanks to all testers."), 16, y);
    thanks->setWordWrap(true);
    thanks->setFixedWidth(ClientWidth - 32);
    thanks->setFixedHeight(thanks->heightForWidth(ClientWidth - 32));
    addLabel("LabelCredits", QStringLiteral("full credits"), 16, ClientHeight - 24, 1, QStringLiteral("Credits.txt"));
    QLabel *closeHint = addLabel("LabelClose", QStringLiteral("click or press a key to close"), 0, ClientHeight - 24);
    closeHint->setStyleSheet(QStringLiteral("color: #808080;"));
    closeHint->adjustSize();
    closeHint->move(ClientWidth - 12 - closeHint->width(), ClientHeight - 24);
    ver1->raise();
}

QLabel *AboutBox::addLabel(const char *name, const QString &text, int x, int y, int tag, const QString &hint)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->move(x, y);
    label->adjustSize();
    label->setToolTip(hint);
    label->setProperty(core::ui::TagProperty, tag);
    if (tag > 0) {
        label->setCursor(Qt::PointingHandCursor);
        label->setStyleSheet(QStringLiteral("color: #1a4fb0;"));
    }
    label->installEventFilter(this);
    return label;
}

void AboutBox::showEvent(QShowEvent *event)
{
    m_dragged = false;
    m_pressed = false;
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void AboutBox::keyPressEvent(QKeyEvent *event)
{
    // Any key closes the box, not only Escape; modifiers alone do not count as a key.
    if (event->text().isEmpty() && event->key() >= Qt::Key_Shift && event->key() <= Qt::Key_ScrollLock)
        return;
    event->accept();
    reject();
}

bool AboutBox::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    const bool link = label && label->property(core::ui::TagProperty).toInt() > 0;
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave:
        if (link) {
            QFont font = label->font();
            font.setUnderline(event->type() == QEvent::Enter);
            label->setFont(font);
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (link) {
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                linkClicked(label);
            return true;
        }
        return dragEvent(event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
        return link ? false : dragEvent(event);
    default:
        return QDialog::eventFilter(watched, event);
    }
}

bool AboutBox::dragEvent(QEvent *event)
{
    auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) {
            m_pressed = true;
            m_pressedAt = global;
        }
        return true;
    case QEvent::MouseMove:
        if (m_pressed && (mouse->buttons() & Qt::LeftButton) && global != m_pressedAt) {
            m_dragged = true;
            move(pos() + global - m_pressedAt);
            m_pressedAt = global;
        }
        return true;
    case QEvent::MouseButtonRelease: {
        const bool close = m_pressed && !m_dragged;
        m_pressed = false;
        m_dragged = false;
        if (close)
            accept();
        return true;
    }
    default:
        return false;
    }
}

void AboutBox::linkClicked(QLabel *label)
{
    const QString name = label->objectName();
    if (name == QLatin1String("LabelCredits")) {
        core::ui::openUrl(QUrl::fromLocalFile(m_creditsFile));
        accept();
        return;
    }
    if (name.startsWith(QLatin1String("LabelHomePage"))) {
        core::ui::openUrl(QUrl(label->toolTip()));
        return;
    }
    QUrl mail;
    mail.setScheme(QStringLiteral("mailto"));
    mail.setPath(label->toolTip());
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("Subject"), QStringLiteral("Glyfex ") + m_version);
    query.addQueryItem(QStringLiteral("body"), QStringLiteral("Hi ") + label->text() + u',');
    mail.setQuery(query);
    core::ui::openUrl(mail);
}

} // namespace glyfex::ripping::ui
