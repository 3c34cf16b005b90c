// Checks the command line's arguments before any window or file is touched.
#include "app/command_line.h"

#include <QDir>
#include <QFileInfo>

#include <cstring>
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
    if (!QFileInfo(line.inputPath).isFile())
        return failed(line, ExitStatus::InputMissing,
                      QStringLiteral("The IFO file does not exist: %1").arg(QDir::toNativeSeparators(line.inputPath)));
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

bool asksForUnattendedJob(int argc, char **argv)
{
    return argc > 1 && strcasecmp(argv[1], "/lang") != 0;
}

} // namespace glyfex::app
