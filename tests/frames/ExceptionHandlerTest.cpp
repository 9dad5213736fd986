#include "frames/ExceptionHandler.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace kamsel::frames {
namespace {

TEST(ExceptionHandler, ShowsTheMessageOfTheErrorBeingHandled) {
    std::vector<QString> shown;
    ExceptionHandler handler([&](const QString& message) { shown.push_back(message); });

    try {
        throw std::runtime_error("Could not read the frame");
    } catch (...) {
        handler.HandleException();
    }
    try {
        throw 42; // not a standard exception
    } catch (...) {
        handler.HandleException();
    }
    EXPECT_EQ(shown, (std::vector<QString>{QStringLiteral("Could not read the frame"),
                                           QStringLiteral("Unknown error")}));
}

TEST(ExceptionHandler, ABoxThatFailsDoesNotTakeTheProgramDown) {
    int attempts = 0;
    ExceptionHandler handler([&](const QString&) {
        ++attempts;
        throw std::bad_alloc();
    });
    try {
        throw std::logic_error("first");
    } catch (...) {
        handler.HandleException(); // noexcept: an escaping error would end the test program
    }
    EXPECT_EQ(attempts, 1);
}

} // namespace
} // namespace kamsel::frames
