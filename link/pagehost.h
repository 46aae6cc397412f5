// What a page needs of the main window: the link session and a few main-window services. Pages
// reach the main window only through this interface (tests give them a fake one), so no page
// includes the shell.
#pragma once

#include "link/session.h"

#include <QList>
#include <QString>

class QWidget;

namespace measure {
class TFormGraphChk;
}

namespace devlink {

class IPageHost {
public:
    virtual ~IPageHost() = default;

    /// The link session: link object, connected flag, reactions, relays, device changes.
    virtual LinkSession& Session() = 0;
    /// Status "Нет связи" and the error box "Нет связи с ЛОРИК".
    virtual void NoLinkMessage() = 0;
    /// Paints a field red; its normal colour comes back 2000 ms later.
    virtual void MarkWrongField(QWidget* field) = 0;
    /// The live value for other programs ("--.-" until the first reading).
    virtual void PublishValue(const QString& text) = 0;
    /// The "admin" (or "debug") and the "debug" switches.
    virtual bool AdminMode() const = 0;
    virtual bool DebugMode() const = 0;
    /// Opens a web address, a file or a folder through the desktop.
    virtual void OpenThroughDesktop(const QString& urlOrPath) = 0;

    // The archive page (TFrameArchive):
    /// The verification results were replaced: refresh the results page and show it (the
    /// verification page, its results sub-page).
    virtual void ShowResults() = 0;
    /// Puts `text` into the report parameter field named `name` ("amp_CD_DATE", "amp_D1_SERIAL") as
    /// typing would; nothing when the program has no such field.
    virtual void SetReportField(const QString& name, const QString& text) = 0;
    // The Measurement page:
    /// The per-user data folder (the page keeps its measurement journals in "journal/" there; the
    /// results page keeps its journal and protocols there).
    virtual QString DataDir() const = 0;
    // The Emulation page:
    /// Ends the work of every other device page (a running measurement or verification) before
    /// this page takes the calibrator.
    virtual void StopOtherWork(QWidget* page) = 0;

    // The verification results page (TFrame_Chk_result):
    /// The protocol templates folder ("template_xml": the user's copy first, then the installed one).
    virtual QString TemplateDir() = 0;
    /// The main window's widgets whose names begin with `namePrefix` ("amp_"), depth-first in
    /// creation order.
    virtual QList<QWidget*> MainWindowWidgets(const QString& namePrefix) = 0;
    /// Saves the current project (a message when it cannot be written).
    virtual void SaveProject() = 0;

    // The verification page (TFrame_Chk):
    /// The verification chart window the page shows and fills; null when the program has none.
    virtual measure::TFormGraphChk* VerificationChart() = 0;

    /// Shorthands for the session's link and flag.
    TInterface* Link() { return Session().Link(); }
    bool IsConnected() { return Session().IsConnected(); }
};

} // namespace devlink
