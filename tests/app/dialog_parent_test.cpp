// Every dialog, message box and window beside the run belongs to the window it was opened from; the dialogs stay above the program's stay-on-top windows.
#include "app/app.h"
#include "app/run_wiring.h"
#include "app/video_command.h"
#include "recognition/glyph.h"
#include "recognition/ui/matrix_commands.h"
#include "recognition/ui/matrix_editor.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "subtitles/ui/subtitles_window.h"
#include "recognition/glyph_art.h"
#include "subtitles/subtitle_builder.h"
#include "support/app_test.h"
#include "support/window_runs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <functional>
#include <set>
#include <vector>

#include <gtest/gtest.h>

namespace glyfex {
namespace {

// What a window of the program was when it came up: which window it belongs to, whether it stays on top.
struct Seen {
    QString name; // the window's form name, else its class
    QPointer<QWidget> parent;
    QPointer<QWindow> transientParent;
    // Of a type whose owner the window system records (X11 writes WM_TRANSIENT_FOR for these only),
    // so that a window manager stacks it with, and above, the window it belongs to.
    bool ownerKnownToWindowSystem = false;
    bool onTop = false;
    bool onTopWindowShown = false; // another window of the program that stays on top was shown
    QPointer<QWidget> onTopBesideTheRun; // the first such window that is no modal dialog

    explicit Seen(QWidget *w)
    {
        name = w->objectName().startsWith(QLatin1String("Form")) ? w->objectName()
                                                                  : QString::fromLatin1(w->metaObject()->className());
        parent = w->parentWidget() ? w->parentWidget()->window() : nullptr;
        transientParent = w->windowHandle() ? w->windowHandle()->transientParent() : nullptr;
        const Qt::WindowType type = w->windowType();
        ownerKnownToWindowSystem = type == Qt::Dialog || type == Qt::Sheet || type == Qt::Tool;
        onTop = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        for (QWidget *other : QApplication::topLevelWidgets()) {
            const bool shownOnTop = other != w && other->isVisible() && other->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            onTopWindowShown |= shownOnTop;
            if (shownOnTop && !other->isModal() && !onTopBesideTheRun)
                onTopBesideTheRun = other;
        }
    }
};

// Notes every modal dialog the program opens, then closes it as Escape would; a step given for the n-th
// dialog runs on it instead, to open one more from inside it.
class ModalWatcher {
public:

    ModalWatcher()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    std::vector<Seen> seen;
    std::function<void(QWidget *)> insideFirst; // run on the first dialog instead of closing it

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (m_known.insert(modal).second) {
            seen.emplace_back(modal);
            if (seen.size() == 1 && insideFirst) {
                // Out of this timer's call: the step may open a dialog of its own.
                QTimer::singleShot(0, modal, [this, modal] { insideFirst(modal); });
                return;
            }
        }
        modal->close();
    }

    QTimer m_timer;
    std::set<QWidget *> m_known;
};

enum class Owner { Main, Subtitles, Editor, Input, OutputFormat, NewCharacter };

struct DialogRow {
    const char *name;
    Owner owner;                        // the window the dialog is opened from
    std::function<void(app::App &)> setUp; // what the window holds first
    const char *button;                 // pressed in the opener (a button or an action, by name)
    const char *inside;                 // then pressed in the dialog that opens (null: none)
    const char *expected;               // the dialog that must belong to the window it was opened from
    void (*open)(app::App &) = nullptr; // instead of a button: what opens the first dialog
    bool staysOnTop = false;            // a window beside the run, on top by its role, not a modal dialog
};

void PrintTo(const DialogRow &row, std::ostream *os)
{
    *os << row.name;
}

void hideSubtitlesWindow(app::App &app)
{
    app.subtitlesWindow()->hide();
}

void addText(app::App &app, const QString &text)
{
    subtitles::ui::SubtitlesWindow *w = app.subtitlesWindow();
    w->store().subs.push_back(test::makeSubtitle(core::millisecondsToTimeCode(1000), core::millisecondsToTimeCode(2000),
                                                 {text}));
    w->renderSubtitle(w->store().count());
}

void addSubtitle(app::App &app)
{
    addText(app, QStringLiteral("Hello"));
}

// Save As has opened the code-page panel for ANSI text.
void addSubtitleForAnsiSave(app::App &app)
{
    addSubtitle(app);
    app.subtitlesWindow()->showConversionPanel(subtitles::ui::SubtitlesWindow::PanelMode::Save);
}

// Text that no code page holds: Save As asks whether to write Unicode.
void addUnicodeSubtitle(app::App &app)
{
    addText(app, QStringLiteral("Ωμέγα ひらがな"));
}

void learnOneGlyph(app::App &app)
{
    recognition::Glyph g = test::glyphFromArt({"##", "#.", "##"});
    g.text = core::toCharText(QStringLiteral("c"));
    ASSERT_EQ(app.run().matrix().add(g), recognition::CharMatrix::AddOutcome::Added);
    app.run().matrixEditor()->fillMatrixList();
    auto *list = app.run().matrixEditor()->findChild<QTreeWidget *>(QStringLiteral("ListViewMatrix"));
    list->setCurrentItem(list->topLevelItem(0));
}

using test::openVideo;
using test::startRecognition;

const DialogRow kRows[] = {
    // The Subtitles window's commands.
    {"PostOcrCorrection", Owner::Subtitles, nullptr, "TntBitButtonSpellingCorrection", nullptr, "Form10"},
    {"TimeCorrection", Owner::Subtitles, nullptr, "TntBitButtonTimeCorrection", nullptr, "Form14"},
    {"OutputFormat", Owner::Subtitles, nullptr, "TntBitButtonOutputFormat", nullptr, "Form13"},
    {"SplitOutputFile", Owner::Subtitles, nullptr, "TntBitButtonSplitText", nullptr, "Form17"},
    {"OpenTextFile", Owner::Subtitles, nullptr, "OpenGlyfexFormat1", nullptr, "QFileDialog"},
    {"ListFont", Owner::Subtitles, nullptr, "bbConversion", nullptr, "QFontDialog"},
    {"ClearUnsavedText", Owner::Subtitles, addSubtitle, "TntBitButtonClearSub", nullptr, "QMessageBox"},
    {"SaveAnsiFile", Owner::Subtitles, addSubtitleForAnsiSave, "bbSave", nullptr, "QFileDialog"},
    {"SaveAsUnicodeQuestion", Owner::Subtitles, addUnicodeSubtitle, "TntBitButtonSaveAs", nullptr, "QMessageBox"},
    // The Output Format dialog's, opened from the Subtitles window.
    {"OutputFormatsFont", Owner::OutputFormat, nullptr, "TntBitButtonOutputFormat", "ButtonSSAFont", "QFontDialog"},
    // The matrix editor's.
    {"DeleteConfirmation", Owner::Editor, learnOneGlyph, "ButtonDelete", nullptr, "QMessageBox"},
    {"OpenMatrixSaveQuestion", Owner::Editor, learnOneGlyph, "ButtonOpenChMatrix", nullptr, "QMessageBox"},
    {"OpenMatrixFile", Owner::Editor, nullptr, "ButtonOpenChMatrix", nullptr, "QFileDialog"},
    // The main window's.
    {"SubtitlesWindow", Owner::Main, hideSubtitlesWindow, "TntBitButtonShowSubtitleText", nullptr, "Form3", nullptr, true},
    {"MatrixEditor", Owner::Main, nullptr, "EditCharMatrix1", nullptr, "Form5", nullptr, true},
    {"VideoViewer", Owner::Main, nullptr, nullptr, nullptr, "Form21", openVideo},
    {"GlobalOptions", Owner::Main, nullptr, "GlobalOptions1", nullptr, "Form16"},
    {"AdvancedOcrSetup", Owner::Main, nullptr, "OCRAdvancedSetup1", nullptr, "Form4"},
    {"About", Owner::Main, nullptr, "About1", nullptr, "Form12"},
    {"OpenVobs", Owner::Main, nullptr, "OpenVob1", nullptr, "Form6"},
    {"OpenVideo", Owner::Main, nullptr, "OpenVideo", nullptr, "QFileDialog"},
    {"OpenMatrixFromTheMenu", Owner::Main, nullptr, "OpenCharacterMatrix1", nullptr, "QFileDialog"},
    {"SaveEmptyMatrix", Owner::Main, nullptr, "SaveCharacterMatrix1", nullptr, "QMessageBox"},
    {"SaveMatrixAs", Owner::Main, learnOneGlyph, "SaveCharacterMatrixAs1", nullptr, "QFileDialog"},
    {"PreviewColour", Owner::Main, nullptr, "PanelBorderColor", nullptr, "QColorDialog"},
    // The input dialog's, opened from the main window.
    {"InputOutputFormat", Owner::Input, nullptr, "OpenVob1", "TntBitButtonOutputFormat", "Form13"},
    {"InputVerifyNothingTicked", Owner::Input, nullptr, "OpenVob1", "ButtonVerify", "QMessageBox"},
    {"InputOpenFile", Owner::Input, nullptr, "OpenVob1", "ButtonOpenIfo", "QFileDialog"},
    // The run's: the New Character(s) dialog over the main window, and the questions it asks.
    {"NewCharacter", Owner::Main, nullptr, nullptr, nullptr, "Form2", startRecognition},
    {"SearchForMatchQuestion", Owner::NewCharacter, nullptr, nullptr, "ButtonSearchMatrix", "QMessageBox", startRecognition},
};

// A row with the Subtitles window shown, as a run shows it, or hidden.
struct DialogCase {
    DialogRow row;
    bool subtitlesShown = true;
};

void PrintTo(const DialogCase &c, std::ostream *os)
{
    *os << c.row.name << (c.subtitlesShown ? "" : " without the Subtitles window");
}

std::vector<DialogCase> dialogCases()
{
    std::vector<DialogCase> cases;
    for (const DialogRow &row : kRows)
        cases.push_back({row, true});
    // The main window's dialogs once more with the Subtitles window hidden (a run shows it for the
    // New Character(s) questions, and the two windows beside the run are rows of their own).
    for (const DialogRow &row : kRows) {
        if (row.owner == Owner::Main && !row.staysOnTop && row.open != startRecognition)
            cases.push_back({row, false});
    }
    return cases;
}

class DialogParentTest : public ::testing::TestWithParam<DialogCase> {
protected:
    // The application as main() builds it: its own message boxes and file dialogs.
    void SetUp() override
    {
        app.createWindows();
        app.loadSettings();
        app.mainWindow()->show();
        app.subtitlesWindow()->show();
    }

    QWidget *window(Owner owner)
    {
        switch (owner) {
        case Owner::Main:
            return app.mainWindow();
        case Owner::Subtitles:
            return app.subtitlesWindow();
        case Owner::Editor:
            return app.run().matrixEditor();
        case Owner::Input:
            return app.inputDialog();
        case Owner::OutputFormat:
            return app.window(QStringLiteral("Form13"));
        case Owner::NewCharacter:
            return app.window(QStringLiteral("Form2"));
        }
        return nullptr;
    }

    // A button or an action of the window, by its component name.
    static void press(QWidget *in, const char *name)
    {
        const QString n = QString::fromLatin1(name);
        if (auto *b = in->findChild<QAbstractButton *>(n)) {
            ASSERT_TRUE(b->isEnabled()) << name;
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
        auto *a = in->findChild<QAction *>(n);
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }

    test::TestFolders folders;
    app::App app{folders.folders()};
};

TEST_P(DialogParentTest, BelongsToTheWindowItWasOpenedFrom)
{
    const DialogRow &row = GetParam().row;
    if (!GetParam().subtitlesShown)
        hideSubtitlesWindow(app);
    if (row.setUp) {
        ASSERT_NO_FATAL_FAILURE(row.setUp(app));
    }
    // The user works in the window: it is the active one, as a click in it makes it. A dialog opened
    // from inside another one is reached through the window that opens that one.
    const Owner first = row.owner == Owner::Input || row.owner == Owner::NewCharacter ? Owner::Main
                        : row.owner == Owner::OutputFormat                            ? Owner::Subtitles
                                                                                      : row.owner;
    QWidget *opener = window(first);
    if (row.owner == Owner::Editor)
        app.run().matrixCommands().view();
    opener->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(opener));

    ModalWatcher watcher;
    if (row.inside) {
        watcher.insideFirst = [&](QWidget *dialog) {
            press(dialog, row.inside);
            dialog->close();
        };
    }
    if (row.open) {
        ASSERT_NO_FATAL_FAILURE(row.open(app));
    } else {
        ASSERT_NO_FATAL_FAILURE(press(opener, row.button));
    }
    QTest::qWait(20);

    QWidget *owner = window(row.owner);
    std::vector<Seen> seen = std::move(watcher.seen);
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !w->isModal())
            seen.emplace_back(w);
    }
    const auto it = std::find_if(seen.begin(), seen.end(), [&](const Seen &s) { return s.name == QLatin1String(row.expected); });
    ASSERT_NE(it, seen.end()) << "no " << row.expected << " came up";
    EXPECT_EQ(it->parent.data(), owner) << (it->parent ? it->parent->objectName().toStdString() : "no parent");
    // The window manager keeps it above the window it was opened from, or, while that one does not stay
    // on top, above the window that does (the Subtitles window), which a click would put over it.
    const bool ownerOnTop = owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    QWidget *keptOver = row.staysOnTop || ownerOnTop || !it->onTopBesideTheRun ? owner : it->onTopBesideTheRun.data();
    EXPECT_EQ(it->transientParent.data(), keptOver->windowHandle())
        << "kept over " << (it->transientParent ? it->transientParent->objectName().toStdString() : "nothing")
        << ", not over " << keptOver->objectName().toStdString();
    EXPECT_TRUE(it->ownerKnownToWindowSystem) << "a window manager would stack it as a window of its own";
    if (row.staysOnTop) {
        EXPECT_TRUE(it->onTop);
    } else {
        EXPECT_EQ(it->onTop, it->onTopWindowShown) << "a window that stays on top would cover it";
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, DialogParentTest, ::testing::ValuesIn(dialogCases()),
                         [](const ::testing::TestParamInfo<DialogCase> &info) {
                             return std::string(info.param.row.name) + (info.param.subtitlesShown ? "" : "WithoutTheSubtitlesWindow");
                         });

} // namespace
} // namespace glyfex
