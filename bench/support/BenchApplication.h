#pragma once
// The process set-up of a benchmark that decodes frames as the program does:
// the program's heap settings, an offscreen application object for the
// toolkit's image classes, and the benchmark library's own arguments.

#include <QGuiApplication>

namespace kamsel::bench {

class BenchApplication {
  public:
    // Takes the benchmark library's arguments out of argc/argv.
    BenchApplication(int& argc, char** argv);

  private:
    QGuiApplication app_;
};

} // namespace kamsel::bench
