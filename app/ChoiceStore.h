#pragma once
// ChoiceStore: the user's choices (RememberedChoices) in a settings file, by
// default the user's own, ~/.config/KamselDemo/KamselDemo.conf (the XDG
// configuration folder). A file that cannot be read or is damaged gives the
// defaults and one line to the logging category "kamsel.settings"; a value
// out of its range gives that value's default. Writing goes through
// QSettings, which replaces the file as a whole.
//
// Threads: user-interface thread.

#include "RememberedChoices.h"

#include <QLoggingCategory>
#include <QString>

#include <memory>

class QSettings;

namespace kamsel::app {

Q_DECLARE_LOGGING_CATEGORY(SettingsLog)

class ChoiceStore {
  public:
    // The user's settings file.
    ChoiceStore();
    // An explicit file, for tests.
    explicit ChoiceStore(const QString& fileName);
    ~ChoiceStore();
    ChoiceStore(const ChoiceStore&) = delete;
    ChoiceStore& operator=(const ChoiceStore&) = delete;

    RememberedChoices Read() const;
    void Write(const RememberedChoices& choices);
    QString FileName() const;

  private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace kamsel::app
