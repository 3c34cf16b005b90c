// The real program started twice on one configuration: what the first run read it saves, and the second run finds it all again.
#include "core/ini_store.h"
#include "support/program_environment.h"
#include "support/qt_print.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include <gtest/gtest.h>

namespace glyfex::test {
namespace {

struct Key {
    const char *section;
    const char *key;
    const char *written; // what the file holds before the first start
    const char *saved;   // what the program saves: the value, or the key's default when out of range
};

// Values away from their defaults in every section the program keeps, and a few out of range.
const Key keys[] = {
    {"CONFIG", "LanguageFileName", "English", "English"},
    {"CONFIG", "AutoScrollDown", "0", "0"},
    {"CONFIG", "ActionMode", "2", "2"},
    {"CONFIG", "ShowAllLangStreams", "1", "1"},
    {"CONFIG", "SelectAllVOBs", "0", "0"},
    {"CONFIG", "Priority", "0", "0"}, // idle: a process may always lower its own priority
    {"CONFIG", "ActivePage", "5", "5"},
    {"GOPTIONS", "MinSubDuration", "350", "350"},
    {"GOPTIONS", "ForcedSubs", "1", "1"},
    {"GOPTIONS", "FillBestGuess", "1", "1"},
    {"GOPTIONS", "FillBestGuessDelay", "20", "20"},
    {"GOPTIONS", "FillNoBestGuess", "#", "#"},
    {"GOPTIONS", "MaxTMP", "3000", "3000"},
    {"GOPTIONS", "SubWindowFontSize", "11", "11"},
    {"PREVIEW CFG", "Zoom", "1500", "1500"},
    {"PREVIEW CFG", "BackMode", "2", "2"},
    {"PREVIEW CFG", "FreeAspectRatio", "40", "40"},
    {"PREVIEW CFG", "AspectRatioMode", "7", "0"},
    {"BMP OUT TC & RES", "Enabled", "0", "0"},
    {"BMP OUT TC & RES", "DropFrame", "0", "0"},
    {"GLYFEX OUTPUT", "Extended", "1", "1"},
    {"MDVD", "Framerate", "25.000", "25.000"},
    {"TMPLAYER OUTPUT", "TMPlType", "9", "1"},
    {"STL OUTPUT", "HAlign", "0", "0"},
    {"STL OUTPUT", "Color_2", "255", "255"},
    {"STL OUTPUT", "SelFont", "Verdana,30,0,Italic", "Verdana,30,0,Italic"},
    {"SSA OUTPUT", "Border", "4", "4"},
    {"SSA OUTPUT", "VMargin", "5000", "30"},
    {"IAUTHOR OUTPUT", "MinimumInterval", "40", "40"},
    {"INPUT", "InPutType", "5", "5"},
    {"OCRCORRECTION", "Il_Index", "3", "3"},
    {"OCRCORRECTION", "Punctuation", "0", "0"},
};

// A signal is caught once the program has installed its handler; before that it would simply die.
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

class RestartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // A portable install: the program beside a writable Glyfex.ini, everything else in scratch folders.
        program = dir.filePath(QStringLiteral("glyfex"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(GLYFEX_EXECUTABLE), program));
        iniFile = dir.filePath(QStringLiteral("Glyfex.ini"));
        core::IniStore ini(iniFile);
        for (const Key &k : keys)
            ini.writeString(QLatin1String(k.section), QLatin1String(k.key), QString::fromUtf8(k.written));
        ASSERT_TRUE(ini.updateFile().ok());
    }

    // Starts the program, waits until it can be ended the way a desktop session (SIGTERM) or a
    // terminal (SIGINT) ends it, and ends it so.
    void runAndEnd(int signal)
    {
        QProcess p;
        p.setProcessEnvironment(scratchUserEnvironment(dir.path()));
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(program, {QStringLiteral("-platform"), QStringLiteral("offscreen")});
        ASSERT_TRUE(p.waitForStarted(60000)) << p.errorString().toStdString();
        // Generous limits: this waits for the program to come up, it measures nothing.
        for (int i = 0; i < 6000 && p.state() == QProcess::Running && !catches(p.processId(), signal); ++i)
            QThread::msleep(10);
        ASSERT_EQ(p.state(), QProcess::Running) << "the program ended before it could be asked to";
        ASSERT_TRUE(catches(p.processId(), signal)) << "the program never took over signal " << signal;
        ::kill(pid_t(p.processId()), signal);
        ASSERT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
    }

    QStringList fileLines() const
    {
        auto ini = core::IniStore::open(iniFile);
        return ini ? ini->strings() : QStringList();
    }

    void expectSavedValues(const char *run) const
    {
        auto ini = core::IniStore::open(iniFile);
        ASSERT_TRUE(ini.ok()) << run;
        for (const Key &k : keys)
            EXPECT_EQ(ini->readString(QLatin1String(k.section), QLatin1String(k.key), QStringLiteral("<missing>")),
                      QString::fromUtf8(k.saved))
                << run << ": [" << k.section << "] " << k.key;
    }

    QTemporaryDir dir;
    QString program;
    QString iniFile;
};

TEST_F(RestartTest, SettingsSurviveTwoRunsEndedByTheSessionAndTheTerminal)
{
    ASSERT_NO_FATAL_FAILURE(runAndEnd(SIGTERM));
    expectSavedValues("first run");
    const QStringList afterFirst = fileLines();
    ASSERT_FALSE(afterFirst.isEmpty());

    ASSERT_NO_FATAL_FAILURE(runAndEnd(SIGINT));
    expectSavedValues("second run");
    // The second run found everything the first saved, and so saved the very same file.
    EXPECT_EQ(fileLines(), afterFirst);
}

} // namespace
} // namespace glyfex::test
