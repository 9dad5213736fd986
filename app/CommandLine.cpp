#include "CommandLine.h"

#include "ProgramInfo.h"

#include <cstdio>

namespace kamsel::app {

namespace {

// The environment variables a user sets to shape the program, listed after
// the options: without them the help would not say how to get a camera
// without hardware, nor how to see why one failed.
constexpr char kEnvironmentHelp[] =
    "\nEnvironment:\n"
    "  KAMSEL_VIRTUAL_CAMERAS   Virtual cameras, listed after the V4L2 ones:\n"
    "                           entries separated by ';', each NAME or\n"
    "                           NAME=SOURCE. SOURCE is 'pattern' (the default,\n"
    "                           a moving test scene at 30 fps), 'pattern@RATE'\n"
    "                           (RATE frames per second, 1 to 1000), or the path\n"
    "                           of a .y4m or .mjpeg/.mjpg file played in a loop.\n"
    "                           Example: \"Cam A;Clip=/tmp/clip.y4m\"\n"
    "  QT_LOGGING_RULES         Qt logging rules. The category kamsel.capture\n"
    "                           tells why a camera failed, kamsel.snapshot why\n"
    "                           snapshots could not be written; both warn on\n"
    "                           standard error by default. Silence one with\n"
    "                           \"kamsel.capture.warning=false\".\n";

} // namespace

CommandLine::CommandLine(const QStringList& arguments, QtOptions qtOptions)
    : helpOption_(
          {QStringLiteral("h"), QStringLiteral("help")},
          QStringLiteral("Show this help and the environment variables the program reads, then exit.")),
      versionOption_({QStringLiteral("v"), QStringLiteral("version")},
                     QStringLiteral("Show the program's name and version, then exit.")) {
    parser_.setApplicationDescription(QStringLiteral("%1 %2: %3.")
                                          .arg(QString::fromLatin1(kApplicationTitle),
                                               QString::fromLatin1(kProgramVersion),
                                               QString::fromLatin1(kProgramDescription)));
    // Qt's options are single-dash words (-platform, -reverse); read as
    // bundles of letters, "-reverse" would ask for the version.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOption(helpOption_);
    parser_.addOption(versionOption_);
    const bool parsed = parser_.parse(arguments);
    if (parser_.isSet(helpOption_))
        request_ = Request::ShowHelp;
    else if (parser_.isSet(versionOption_))
        request_ = Request::ShowVersion;
    else if (qtOptions == QtOptions::Removed && (!parsed || !parser_.positionalArguments().isEmpty()))
        request_ = Request::Refuse;
}

QString CommandLine::HelpText() const {
    // The parser names the program after the first argument of a running
    // application only; before one exists it would print a placeholder.
    QString text = parser_.helpText();
    const qsizetype usageEnd = text.indexOf(QLatin1Char('\n'));
    text.replace(0, usageEnd,
                 QStringLiteral("Usage: %1 [options]").arg(QString::fromLatin1(kExecutableName)));
    return text + QString::fromLatin1(kEnvironmentHelp);
}

QString CommandLine::VersionText() {
    return QStringLiteral("%1 %2\n").arg(QString::fromLatin1(kExecutableName),
                                         QString::fromLatin1(kProgramVersion));
}

QString CommandLine::ErrorText() const {
    const QString reason =
        parser_.errorText().isEmpty()
            ? QStringLiteral("Unexpected argument '%1'.").arg(parser_.positionalArguments().value(0))
            : parser_.errorText();
    return QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
        .arg(QString::fromLatin1(kExecutableName), reason);
}

std::optional<int> CommandLine::Answer() const {
    switch (request_) {
    case Request::ShowHelp:
        std::fputs(HelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case Request::ShowVersion:
        std::fputs(VersionText().toLocal8Bit().constData(), stdout);
        return 0;
    case Request::Refuse:
        std::fputs(ErrorText().toLocal8Bit().constData(), stderr);
        return kUsageError;
    case Request::Run:
        break;
    }
    return std::nullopt;
}

} // namespace kamsel::app
