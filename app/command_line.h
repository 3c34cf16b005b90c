// The program's command line: which job it asks for, its checked arguments, and the exit status of each way a job can end.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace glyfex::app {

// The status the program exits with; scripts that drive it tell the failures apart by these.
enum class ExitStatus : int {
    Done = 0,
    BadArguments = 2,  // wrong count, stream or picture format out of range, output folder missing
    InputMissing = 3,  // the IFO file is missing or cannot be read, or it names no VOB to read
    StreamMissing = 4, // the title set has no subtitle stream with the asked number
    WriteFailed = 5,   // a picture, the stream list or the picture script could not be written
    NoDisplay = 6,     // the program with its windows was started where there is no display
    Interrupted = 7,   // SIGTERM or SIGINT stopped the job before it was done; no script was left
};

struct CommandLine {
    enum class Form { Interactive, LanguageTools, StreamList, Rip };
    Form form = Form::Interactive;
    QString profileFile; // the bitmap-settings profile (rip only; a missing file keeps the defaults)
    QString inputPath;   // the title set's IFO file
    QString outputFile;  // the stream list, or the base name of the pictures and the script
    int streamNumber = 0;    // 0-31
    int outputFormat = 19;   // 19 + the picture format 0-5
    bool dropFrame = true;

    // A job that runs without a person: it shows no window and ends the program itself.
    bool unattended() const { return form == Form::StreamList || form == Form::Rip; }
};

struct CommandLineError {
    ExitStatus status;
    QString message; // one line for stderr
};

struct ParsedCommandLine {
    CommandLine line;
    std::optional<CommandLineError> error;
};

// arguments: the program's arguments without the program path. Files are looked at (the IFO must
// exist, the output's folder must exist), nothing is written.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

// Whether the first argument asks for an unattended job, judged before the application exists (it
// decides the window platform); the full check is parseCommandLine's. Qt's own options before it
// (-style Fusion, -reverse), which the application takes out of the arguments, are passed over.
bool asksForUnattendedJob(int argc, char **argv);

// "--help" or "--version" as the first argument after Qt's options. These are answered before the
// application exists, so they need no display; the arguments after them are not looked at.
enum class InformationRequest { None, Help, Version };
InformationRequest informationRequest(int argc, char **argv);
// What each request prints on stdout: the usage of every form, or the program's name and version.
QString usageText();
QString versionText();

// The program's own arguments: those after the Qt options in front. The application takes out only
// the options its window platform knows (the offscreen platform of a job leaves -display, -geometry,
// -name, -title, -sync and -nograb in), and the job is what follows them all.
QStringList ownArguments(const QStringList &arguments);

// Where the windows' display cannot be reached (unset, empty, an X display or Wayland socket that does
// not answer), Qt would abort the program with its windows: the one line to say instead. Nothing when
// the platform Qt will use (QT_QPA_PLATFORM, -platform) can connect or needs no display; -display in
// front is X's display as DISPLAY is.
std::optional<QString> missingDisplay(int argc, char **argv);

} // namespace glyfex::app
