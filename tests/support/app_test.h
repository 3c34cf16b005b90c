// Window tests: the application with its windows, and answers for its questions and file dialogs given in advance.
#pragma once

#include "core/ui/file_chooser.h"
#include "app/app.h"
#include "core/user_prompt.h"
#include "ripping/ui/main_window.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QString>
#include <QStringList>

#include <deque>

#include <gtest/gtest.h>

namespace glyfex::test {

// Scratch configuration and data folders of one test, so tests running side by side never share a file.
struct TestFolders {
    QTemporaryDir dir;
    // Where the program's own read-only data would be installed (empty unless a test puts files there).
    QString shippedDir() const { return dir.filePath(QStringLiteral("shipped")); }
    core::Paths::Folders folders() const
    {
        return {dir.filePath(QStringLiteral("bin")), dir.filePath(QStringLiteral("config")),
                dir.filePath(QStringLiteral("data")), {shippedDir()}};
    }
};

class ScriptedPrompt : public core::UserPrompt {
public:
    std::deque<core::Answer> answers; // confirm/ask answers in order; Cancel when none are left
    QStringList shown;                // every text shown, in order

    void warn(const QString &text) override { shown << QStringLiteral("warn: ") + text; }
    void error(const QString &text) override { shown << QStringLiteral("error: ") + text; }
    void inform(const QString &text) override { shown << QStringLiteral("inform: ") + text; }
    core::Answer confirm(const QString &text) override { return next(QStringLiteral("confirm: ") + text); }
    core::Answer ask(const QString &text) override { return next(QStringLiteral("ask: ") + text); }

private:
    core::Answer next(const QString &text)
    {
        shown << text;
        if (answers.empty())
            return core::Answer::Cancel;
        core::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

class ScriptedFiles : public core::ui::FileChooser {
public:
    std::deque<QString> names; // answers in order; an empty name (or none left) is a cancelled dialog
    QStringList titles;        // the title of every dialog shown
    QStringList starts;        // where each dialog started
    QList<int> filterIndexes;  // the filter each open dialog started with
    std::deque<int> chosenFilters; // the filter the user leaves each open dialog on; none: where it started
    QStringList saveFilters;   // the filter of each save dialog

    QString openFile(QWidget *, const QString &title, const QString &start, const QString &, int filter) override
    {
        starts << start;
        filterIndexes << filter;
        m_chosenFilterIndex = filter;
        if (!chosenFilters.empty()) {
            m_chosenFilterIndex = chosenFilters.front();
            chosenFilters.pop_front();
        }
        return next(title);
    }
    QString saveFile(QWidget *, const QString &title, const QString &start, const QString &filter) override
    {
        starts << start;
        saveFilters << filter;
        return next(title);
    }

private:
    QString next(const QString &title)
    {
        titles << title;
        if (names.empty())
            return {};
        QString n = names.front();
        names.pop_front();
        return n;
    }
};

// Answers the Bitmap adjustment dialog with OK each time it comes up, as a person keeping the settings
// would; a test of the dialog itself switches this off.
class BitmapAdjustAnswerer : public QObject {
public:
    bool enabled = true;
    int shown = 0;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && enabled) {
            ++shown;
            QTimer::singleShot(0, watched, [watched] {
                if (auto *dialog = qobject_cast<QDialog *>(watched))
                    dialog->accept();
            });
        }
        return false;
    }
};

// The character palette as installed, before the run's New Character(s) dialog reads it (so before the
// windows are made). Call through ASSERT_NO_FATAL_FAILURE.
inline void installCharMap(const core::Paths &paths)
{
    QDir().mkpath(paths.writableDataDir());
    ASSERT_TRUE(QFile::copy(QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/CharMap.ini"),
                            QDir(paths.writableDataDir()).filePath(QStringLiteral("CharMap.ini"))));
}

// A copy of the title set in the VIDEO_TS folder at source (absolute) in folder/VIDEO_TS: the pass
// writes its subtitle map beside what it reads. Call through ASSERT_NO_FATAL_FAILURE.
inline void copyTitleSet(const QString &source, const QString &folder)
{
    QDir().mkpath(QDir(folder).filePath(QStringLiteral("VIDEO_TS")));
    const QDir from(source);
    for (const QString &name : from.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(from.filePath(name), QDir(folder).filePath(QStringLiteral("VIDEO_TS/") + name)));
}

// The batch timer's ticks until the run is over; a run that pauses (a question nobody answered) fails.
// Call through ASSERT_NO_FATAL_FAILURE so that a failure here ends the test.
inline void tickToTheEnd(app::App &app)
{
    for (int tick = 0; tick < 50 && !app.batch.finished(); ++tick) {
        ASSERT_FALSE(app.batch.paused) << "the run paused";
        app.mainWindow()->batchTick();
    }
    ASSERT_TRUE(app.batch.finished());
}

// The application with its windows, every question and file dialog answered from the script.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.setPrompt(&prompt);
        app.setFileChooser(&files);
        app.createWindows();
        if (QWidget *adjust = app.window(QStringLiteral("Form18")))
            adjust->installEventFilter(&bitmapAdjust);
    }

    TestFolders folders;
    BitmapAdjustAnswerer bitmapAdjust;
    ScriptedPrompt prompt;
    ScriptedFiles files;
    app::App app{folders.folders()};
};

} // namespace glyfex::test
