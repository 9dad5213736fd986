#pragma once
// The process set-up of a benchmark that decodes frames as the program does:
// the program's heap settings, an offscreen application object for the
// toolkit's image classes, and the benchmark library's own arguments.

#include <QGuiApplication>

namespace kamsel::bench {

// The program's heap settings and the offscreen platform (unless
// QT_QPA_PLATFORM names another), for a benchmark process before its
// application object exists, which reads the platform name and allocates.
// Returns argc, so that it can run in a constructor's initialiser list.
int& PrepareBenchProcess(int& argc);

class BenchApplication {
  public:
    // Takes the benchmark library's arguments out of argc/argv.
    BenchApplication(int& argc, char** argv);

  private:
    QGuiApplication app_;
};

} // namespace kamsel::bench
