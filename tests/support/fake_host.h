// A page host for page tests: a real link session (connect it to a virtual calibrator with
// Connect()), and records of what a page asked of the main window.
#pragma once

#include "link/pagehost.h"
#include "link/session.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace testsupport {

class FakePageHost : public devlink::IPageHost {
public:
    FakePageHost() { m_session.Create(false); }

    /// The handshake on `port` (a virtual calibrator's link or device path).
    devlink::LinkSession::Handshake Connect(const QString& port) { return m_session.Connect(port); }

    devlink::LinkSession& Session() override { return m_session; }
    void NoLinkMessage() override { ++noLinkMessages; }
    void MarkWrongField(QWidget* field) override { wrongFields.push_back(field); }
    void PublishValue(const QString& text) override { published << text; }
    bool AdminMode() const override { return admin; }
    bool DebugMode() const override { return debug; }
    void OpenThroughDesktop(const QString& urlOrPath) override { opened << urlOrPath; }
    void ShowResults() override { ++resultsShown; }
    void SetReportField(const QString& name, const QString& text) override { reportFields[name] = text; }
    QString TemplateDir() override { return templateDir; }
    QString DataDir() const override { return dataDir; }
    QList<QWidget*> MainWindowWidgets(const QString& namePrefix) override
    {
        QList<QWidget*> out;
        if (!window) return out;
        // findChildren goes depth-first, each widget before its children
        for (QWidget* w : window->findChildren<QWidget*>())
            if (w->objectName().startsWith(namePrefix)) out << w;
        return out;
    }
    void SaveProject() override { ++projectSaves; }
    void StopOtherWork(QWidget*) override { ++otherWorkStopped; }
    measure::TFormGraphChk* VerificationChart() override { return chart; }

    int noLinkMessages = 0;
    std::vector<QWidget*> wrongFields;
    QStringList published;
    QStringList opened;
    bool admin = false;
    bool debug = false;
    int resultsShown = 0;
    int otherWorkStopped = 0;
    QMap<QString, QString> reportFields;
    QString templateDir;
    QString dataDir;           ///< the data folder the host gives (a test's temporary folder)
    QWidget* window = nullptr; ///< what stands for the main window
    int projectSaves = 0;
    measure::TFormGraphChk* chart = nullptr; ///< the verification chart window (none unless a test gives one)

private:
    devlink::LinkSession m_session;
};

} // namespace testsupport
