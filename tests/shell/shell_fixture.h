// What the shell tests share: a private home and virtual-port folder per test, the bench scenario,
// a started main window, and counting what the message service was given.
#pragma once

#include "shell/mainwindow.h"
#include "simulator/virtualcalibrator.h"
#include "tests/support/scoped_env.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace shelltest {

inline const QString kLinkLost = QStringLiteral("Обрыв связи с ЛОРИК!");
inline const QString kConnectFailed = QStringLiteral("Не удалось установить связь с прибором.");

/// `Messages`: the message service the tests of a suite install (a recorder, or one that runs a
/// nested event loop per box).
template <typename Messages> class ShellTest : public ::testing::Test {
protected:
    ShellTest() : home("LORIKWS_HOME", homeDir.path().toLocal8Bit()) {}

    /// A main window after its deferred start (`arg`: the command-line switch).
    static std::unique_ptr<shell::TForm_Main> Start(const char* arg = nullptr)
    {
        QStringList args{QStringLiteral("lorikws")};
        if (arg) args << QString::fromLatin1(arg);
        auto w = std::make_unique<shell::TForm_Main>(shell::StartOptions::FromArguments(args));
        w->DeferredStart();
        return w;
    }
    static sim::World Bench()
    {
        sim::World w;
        QString e;
        sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QStringLiteral("bench")), &w, &e);
        return w;
    }
    /// How often `text` was shown.
    int Count(const QString& text) const { return int(messages.Texts().count(text)); }

    QTemporaryDir homeDir;
    testsupport::ScopedEnv home;
    testsupport::ScopedSimDir simDir;
    Messages messages;
};

} // namespace shelltest
