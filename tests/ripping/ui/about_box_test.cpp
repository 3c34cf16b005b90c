// The About box: a click or a key closes it, a drag moves it, links underline on hover and open through the one opener.
#include "core/ui/url_opener.h"
#include "ripping/ui/about_box.h"
#include "ripping/ui/main_window.h"

#include "support/app_test.h"
#include "support/qt_print.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::ripping::ui;
using glyfex::app::App;

namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override { box.show(); ASSERT_TRUE(QTest::qWaitForWindowExposed(&box)); }

    QLabel *label(const char *name) const { return box.findChild<QLabel *>(QLatin1String(name)); }

    QList<QUrl> opened;
    core::ui::ScopedUrlOpener opener{[this](const QUrl &url) {
        opened << url;
        return true;
    }};
    AboutBox box{QStringLiteral("1.50b1"), QStringLiteral("/opt/glyfex/data/Credits.txt")};
};

TEST_F(AboutBoxTest, ShowsTheVersionTwiceInASizedBox)
{
    EXPECT_EQ(box.objectName(), QStringLiteral("Form12"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Glyfex"));
    EXPECT_EQ(box.size(), QSize(AboutBox::ClientWidth, AboutBox::ClientHeight));
    ASSERT_TRUE(label("LabelVer1") && label("LabelVer2"));
    EXPECT_EQ(label("LabelVer1")->text(), QStringLiteral("1.50"));
    EXPECT_EQ(label("LabelVer2")->text(), QStringLiteral("1.50"));
    ASSERT_TRUE(label("LabelCredits"));
    EXPECT_EQ(label("LabelCredits")->text(), QStringLiteral("full credits"));
    EXPECT_EQ(label("LabelCredits")->toolTip(), QStringLiteral("Credits.txt"));
    // Every label lies inside the box.
    for (QLabel *l : box.findChildren<QLabel *>())
        EXPECT_TRUE(box.rect().contains(l->geometry())) << l->objectName().toStdString();
}

TEST_F(AboutBoxTest, ClickClosesDragMovesWithoutClosing)
{
    QWidget *image = box.findChild<QWidget *>(QStringLiteral("ImageAbout"));
    ASSERT_TRUE(image);
    const QPoint before = box.pos();
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(40, 40));
    QMouseEvent move(QEvent::MouseMove, QPointF(70, 55), image->mapToGlobal(QPointF(70, 55)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(image, &move);
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(70, 55));
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.pos() - before, QPoint(30, 15));

    // A plain label and the picture: a click closes.
    QTest::mouseClick(label("LabelThanks"), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    box.show();
    QTest::mouseClick(image, Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(AboutBoxTest, AnyKeyCloses)
{
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Space, Qt::Key_Escape, Qt::Key_Return}) {
        box.show();
        QTest::keyClick(&box, key);
        EXPECT_FALSE(box.isVisible()) << key;
    }
}

TEST_F(AboutBoxTest, LinksUnderlineOnHoverAndOpenTheirAddress)
{
    QLabel *author = label("LabelAuthor1");
    QLabel *home = label("LabelHomePage1");
    QLabel *thanks = label("LabelThanks");
    ASSERT_TRUE(author && home && thanks);
    for (QLabel *l : {author, home, thanks}) {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(l, &enter);
        EXPECT_EQ(l->font().underline(), l != thanks) << l->objectName().toStdString();
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(l, &leave);
        EXPECT_FALSE(l->font().underline()) << l->objectName().toStdString();
    }
    EXPECT_EQ(author->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(author, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    const QUrl mail = opened[0];
    EXPECT_EQ(mail.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(mail.path(), author->toolTip());
    const QUrlQuery query(mail);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("Subject"), QUrl::FullyDecoded), QStringLiteral("Glyfex 1.50b1"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded), QStringLiteral("Hi ") + author->text() + u',');
    EXPECT_TRUE(box.isVisible());

    QTest::mouseClick(home, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[1], QUrl(home->toolTip()));
    EXPECT_TRUE(box.isVisible());

    QTest::mouseClick(label("LabelCredits"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened[2], QUrl::fromLocalFile(QStringLiteral("/opt/glyfex/data/Credits.txt")));
    EXPECT_FALSE(box.isVisible());
}

TEST_F(AboutBoxTest, AboutMenuItemShowsTheBoxModally)
{
    test::TestFolders folders;
    test::ScriptedPrompt prompt;
    app::App app{folders.folders()};
    app.setPrompt(&prompt);
    app.createWindows();
    auto *about = qobject_cast<AboutBox *>(app.window(QStringLiteral("Form12")));
    ASSERT_TRUE(about);
    bool wasModal = false;
    QTimer::singleShot(0, about, [&] {
        wasModal = about->isVisible() && about->isModal();
        QTest::keyClick(about, Qt::Key_Space);
    });
    app.mainWindow()->findChild<QAction *>(QStringLiteral("About1"))->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(about->isVisible());
}

} // namespace
