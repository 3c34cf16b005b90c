// The input dialog: opening the fixture DVD, the file rows, the stream list, Start and its abandonment.
#include "ripping/ui/app.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"

#include "app_test.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::ripping;
using namespace glyfex::ripping::ui;

namespace {

class InputDialogTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        dialog = app.inputDialog();
    }

    InputDialog *dialog = nullptr;
};

TEST_F(InputDialogTest, StartWithoutATickedFileWarnsAndChangesNothing)
{
    app.batch.vobList = {QStringLiteral("/earlier/run.vob")};
    app.batch.currentFile = 1;
    EXPECT_FALSE(dialog->start());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0], QStringLiteral("warn: Warning\r\nNo VOB/SUB selected!"));
    EXPECT_EQ(app.batch.vobList, QStringList({QStringLiteral("/earlier/run.vob")}));
    EXPECT_EQ(app.batch.currentFile, 1);
    EXPECT_TRUE(app.batch.paused);
}

TEST_F(InputDialogTest, ADroppedFileOpensTheOpenDialogOnIt)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/media/dvd/VIDEO_TS/VTS_01_0.IFO"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &drop);
    ASSERT_EQ(files.starts.size(), 1);
    EXPECT_EQ(files.starts[0], QStringLiteral("/media/dvd/VIDEO_TS/VTS_01_0.IFO"));
    EXPECT_EQ(files.filterIndexes[0], 1);

    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.invalid/VTS_01_0.IFO"))});
    QDragEnterEvent remoteEnter(QPoint(10, 10), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &remoteEnter);
    EXPECT_FALSE(remoteEnter.isAccepted());
    QDropEvent remoteDrop(QPointF(10, 10), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &remoteDrop);
    EXPECT_EQ(files.starts.size(), 1) << "only local files are taken";
}

} // namespace
