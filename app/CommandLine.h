#pragma once
// The program's command line: --help and --version, and nothing of its own
// besides. The program takes no arguments; Qt's own options (-platform,
// -style, -display ...) pass through to Qt.
//
// Both answers come before any application object exists, so that they need
// no display: the caller reads the raw arguments first, with Qt's options
// still among them, where an unknown option may be one of Qt's and is left
// alone; it reads them again once Qt has taken its own, where an unknown
// option or a stray argument is refused.
//
// Threads: used on the main thread only.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <optional>

namespace kamsel::app {

class CommandLine {
  public:
    enum class Request { Run, ShowHelp, ShowVersion, Refuse };
    enum class QtOptions { Present, Removed };

    // arguments: the program's path first, as in argv.
    CommandLine(const QStringList& arguments, QtOptions qtOptions);

    Request request() const { return request_; }
    QString HelpText() const;
    static QString VersionText();
    // The parser's reason, with a hint to --help.
    QString ErrorText() const;

    // Writes the help or the version to standard output, or the error to
    // standard error; the exit status when the program should end there,
    // nothing when it should run.
    std::optional<int> Answer() const;

    // Exit status for an argument the program does not take.
    static constexpr int kUsageError = 2;

  private:
    QCommandLineParser parser_;
    QCommandLineOption helpOption_;
    QCommandLineOption versionOption_;
    Request request_ = Request::Run;
};

} // namespace kamsel::app
