// Checks the command line's arguments before any window or file is touched.
#include "app/command_line.h"

#include "app/display_check.h"
#include "core/file_read.h"
#include "core/version.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <strings.h>

namespace glyfex::app {

namespace {

// A text that is not a number counts as `fallback`, which for the ranged arguments is out of range.
int numberOr(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : fallback;
}

ParsedCommandLine failed(CommandLine line, ExitStatus status, const QString &message)
{
    return {std::move(line), CommandLineError{status, message}};
}

// The output file's folder must exist; a name without a folder part has an empty folder, which does not.
bool outputFolderExists(const QString &output)
{
    const qsizetype slash = output.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return false;
    const QString folder = slash == 0 ? QStringLiteral("/") : output.left(slash);
    return QFileInfo(folder).isDir();
}

const char *const kUsage = "usage: glyfex /SSSINFO IFO OUT | glyfex PROFILE IFO OUT STREAM FORMAT DROPFRAME";

} // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    if (arguments.isEmpty())
        return {line, std::nullopt};
    if (arguments.first().compare(QStringLiteral("/lang"), Qt::CaseInsensitive) == 0) {
        line.form = CommandLine::Form::LanguageTools;
        return {line, std::nullopt};
    }
    const bool streamList = arguments.first().toUpper() == QStringLiteral("/SSSINFO");
    line.form = streamList ? CommandLine::Form::StreamList : CommandLine::Form::Rip;
    const int wanted = streamList ? 3 : 6;
    if (arguments.size() != wanted)
        return failed(line, ExitStatus::BadArguments,
                      QStringLiteral("%1 arguments given, %2 expected; %3")
                          .arg(arguments.size())
                          .arg(wanted)
                          .arg(QString::fromLatin1(kUsage)));

    line.profileFile = streamList ? QStringLiteral("/SSSINFO") : arguments.at(0);
    line.inputPath = arguments.at(1);
    line.outputFile = arguments.at(2);
    if (const QFileInfo input(line.inputPath); !input.isFile())
        return failed(line, ExitStatus::InputMissing,
                      input.exists() ? QStringLiteral("The IFO file cannot be read: %1: %2")
                                           .arg(QDir::toNativeSeparators(line.inputPath), core::plainFileProblem(line.inputPath))
                                     : QStringLiteral("The IFO file does not exist: %1").arg(QDir::toNativeSeparators(line.inputPath)));
    if (!outputFolderExists(line.outputFile))
        return failed(line, ExitStatus::BadArguments,
                      QStringLiteral("The output file's folder does not exist: %1")
                          .arg(QDir::toNativeSeparators(line.outputFile)));
    if (streamList)
        return {line, std::nullopt};

    line.streamNumber = numberOr(arguments.at(3), 100);
    if (line.streamNumber < 0 || line.streamNumber > 31)
        return failed(line, ExitStatus::BadArguments,
                      QStringLiteral("The stream number must be 0-31, not \"%1\"").arg(arguments.at(3)));
    const int format = numberOr(arguments.at(4), 100);
    if (format < 0 || format > 5)
        return failed(line, ExitStatus::BadArguments,
                      QStringLiteral("The picture format must be 0-5, not \"%1\"").arg(arguments.at(4)));
    line.outputFormat = 19 + format;
    line.dropFrame = numberOr(arguments.at(5), 1) != 0;
    return {line, std::nullopt};
}

namespace {

// The name of a Qt option ("-style", "--style=Fusion": "style"), or empty for any other argument.
std::string qtOptionName(const char *argument)
{
    if (argument[0] != '-')
        return {};
    const char *name = argument + (argument[1] == '-' ? 2 : 1);
    return std::string(name, std::strcspn(name, "="));
}

// Qt's options that are followed by a value, and those that stand alone.
bool qtOptionTakesValue(const std::string &name)
{
    static const char *const kWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                             "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
                                             "display", "geometry", "name", "title", "style", "stylesheet"};
    return std::any_of(std::begin(kWithValue), std::end(kWithValue), [&](const char *n) { return name == n; });
}

bool isQtFlag(const std::string &name)
{
    static const char *const kFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "qmljsdebugger"};
    return std::any_of(std::begin(kFlags), std::end(kFlags), [&](const char *n) { return name == n; });
}

// What Qt's options in front of the program's own arguments choose for the window platform.
struct QtOptionsInFront {
    int count = 0;                   // arguments taken by them, values included
    std::optional<QString> platform; // -platform
    std::optional<QString> display;  // -display, X's display for the windows
};

// Qt's options at the start of the arguments (without the program path) and their values, up to the
// first argument of the program's own.
QtOptionsInFront qtOptionsInFront(const QStringList &arguments)
{
    QtOptionsInFront front;
    int i = 0;
    while (i < arguments.size()) {
        const QByteArray argument = arguments.at(i).toLocal8Bit();
        const std::string name = qtOptionName(argument.constData());
        if (name.empty())
            break;
        const qsizetype equals = arguments.at(i).indexOf(QLatin1Char('='));
        if (qtOptionTakesValue(name)) {
            const std::optional<QString> value = equals >= 0           ? std::optional(arguments.at(i).mid(equals + 1))
                                                 : i + 1 < arguments.size() ? std::optional(arguments.at(i + 1))
                                                                            : std::nullopt;
            if (name == "platform")
                front.platform = value;
            else if (name == "display")
                front.display = value;
            i += equals >= 0 ? 1 : 2;
        } else if (isQtFlag(name)) {
            ++i;
        } else {
            break;
        }
    }
    front.count = std::min(i, int(arguments.size()));
    return front;
}

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// The index in argv of the first argument that is not one of Qt's options or their values; argc when none.
int firstOwnArgument(int argc, char **argv)
{
    return 1 + qtOptionsInFront(argumentsOf(argc, argv)).count;
}

} // namespace

InformationRequest informationRequest(int argc, char **argv)
{
    const int first = firstOwnArgument(argc, argv);
    if (first >= argc)
        return InformationRequest::None;
    if (std::strcmp(argv[first], "--help") == 0)
        return InformationRequest::Help;
    if (std::strcmp(argv[first], "--version") == 0)
        return InformationRequest::Version;
    return InformationRequest::None;
}

QString usageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  glyfex                      start the program with its windows\n"
        "  glyfex /lang                the same, with the translators' language-file buttons\n"
        "  glyfex /SSSINFO IFO OUT     write the subtitle streams of the title set IFO to OUT, one a line\n"
        "  glyfex PROFILE IFO OUT STREAM FORMAT DROPFRAME\n"
        "                              rip subpicture stream STREAM (0-31) of the title set IFO to bitmaps\n"
        "                              named after OUT and a picture script OUT.<extension>\n"
        "  glyfex --help               show this text\n"
        "  glyfex --version            show the program's name and version\n"
        "\n"
        "  PROFILE    a bitmap-settings profile; a file that does not exist keeps the default presets\n"
        "  FORMAT     0 I-Author, 1 Philips SVCD Designer, 2 Sonic DVD Creator, 3 Sonic Scenarist,\n"
        "             4 Spruce DVDMaestro, 5 Pinnacle Impression\n"
        "  DROPFRAME  0 or 1: NTSC frames numbered without or with drop frame\n"
        "\n"
        "/SSSINFO and /lang may be written in any case. Qt's own options (-style Fusion, -reverse,\n"
        "-platform offscreen, ...) may come first. The two jobs need no display and ask nothing.\n"
        "\n"
        "Exit status: 0 done, 2 bad arguments, 3 the IFO file is missing or unreadable, 4 no such\n"
        "stream, 5 writing failed, 6 no display for the windows, 7 stopped by SIGTERM or SIGINT.\n");
}

QString versionText()
{
    return QStringLiteral("Glyfex %1\n").arg(QLatin1String(core::kProgramVersion));
}

bool asksForUnattendedJob(int argc, char **argv)
{
    const int first = firstOwnArgument(argc, argv);
    return first < argc && strcasecmp(argv[first], "/lang") != 0;
}

QStringList ownArguments(const QStringList &arguments)
{
    return arguments.mid(qtOptionsInFront(arguments).count);
}

std::optional<QString> missingDisplay(int argc, char **argv)
{
    const QtOptionsInFront front = qtOptionsInFront(argumentsOf(argc, argv));
    DisplayRequest request = DisplayRequest::fromEnvironment();
    if (front.platform)
        request.platform = *front.platform;
    if (front.display)
        request.xDisplay = front.display;
    const std::optional<QString> problem = unreachableDisplay(request);
    if (!problem)
        return std::nullopt;
    return QStringLiteral("no display to show the windows on (%1); the unattended jobs run without one").arg(*problem);
}

} // namespace glyfex::app
