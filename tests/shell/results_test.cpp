// The results page in the program: the journal of an unclean end offered at the start and retired
// by a clean close; the program without a usable protocol maker; the "amp_" fields of the window.
#include "platform/messageservice.h"
#include "reports/protocoldata.h"
#include "reports/protocolmodule.h"
#include "shell/mainwindow.h"
#include "shell/paths.h"
#include "tests/shell/shell_fixture.h"
#include "verification/resultjournal.h"
#include "verification/resultsframe.h"
#include "verification/resultsmodel.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace shell;

namespace {

using ShellResults = shelltest::ShellTest<platform::ScopedMessageRecorder>;

verification::ResultRow Row(float reference)
{
    verification::ResultRow r;
    r.reference = reference;
    r.measured = reference + 0.5f;
    r.error = 0.05f;
    r.tolerance = 0.25f;
    r.pass = 1;
    r.uncertainty = 0.1f;
    r.rangeHigh = 100;
    return r;
}

verification::TFrame_Chk_result* Page(TForm_Main& w)
{
    return w.findChild<verification::TFrame_Chk_result*>(QStringLiteral("Frame_Chk_result1"));
}

} // namespace

TEST_F(ShellResults, AJournalLeftAtStartIsOfferedAndACleanCloseRetiresIt)
{
    const QString journal = DataDir() + QStringLiteral("/results-journal.csv");
    verification::ResultList left;
    verification::AppendRow(left, Row(10));
    verification::AppendRow(left, Row(20));
    reports::ProtocolData fields;
    fields.verificationType = 2;
    fields.device.permissibleError = 0.25f;
    ASSERT_TRUE(verification::ResultJournal(journal).Write(left, fields));

    messages.QueueAnswer(true);
    auto w = Start();
    EXPECT_EQ(Count(QStringLiteral("Найдены результаты незавершённой поверки (2). Восстановить?")), 1);
    ASSERT_EQ(verification::Results().count, 2);
    EXPECT_EQ(verification::Results().rows[1].reference, 20.0f);
    EXPECT_EQ(reports::Protocol().verificationType, 2);
    ASSERT_NE(Page(*w), nullptr);
    EXPECT_EQ(Page(*w)->Model()->rowCount(), 2);
    // the restored list is journalled again and the project saved with it
    QFile::remove(DefaultProjectPath());
    QApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(DefaultProjectPath()));
    verification::AppendRow(verification::Results(), Row(30));
    verification::JournalRecord r;
    ASSERT_EQ(Page(*w)->Journal().Read(&r, nullptr), verification::ResultJournal::ReadResult::Ok);
    EXPECT_EQ(r.list.count, 3);

    w->CloseSequence();
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_TRUE(QFileInfo::exists(journal + QStringLiteral(".last")));
    w.reset();
    messages.Clear();
    w = Start(); // a clean end leaves nothing to offer
    EXPECT_EQ(Count(QStringLiteral("Найдены результаты незавершённой поверки (3). Восстановить?")), 0);
    EXPECT_EQ(verification::Results().count, 0);
    w->CloseSequence();
    reports::Protocol() = reports::ProtocolData();
}

// Run twice by CTest: as test_shell (no module beside the test program) and as
// test_shell_maker_standin (LORIK_PROTOCOL_MAKER names a module that cannot load).
TEST_F(ShellResults, TheProgramRunsWithoutAUsableProtocolMaker)
{
    const bool standin = !qEnvironmentVariableIsEmpty("LORIK_PROTOCOL_MAKER");
    auto w = Start();
    const reports::ProtocolMakerModule& maker = reports::ProtocolMaker();
    EXPECT_EQ(maker.GetState(), standin ? reports::ProtocolMakerModule::State::CannotLoad
                                        : reports::ProtocolMakerModule::State::FileMissing);
    if (standin) {
        EXPECT_TRUE(maker.Reason().contains(QStringLiteral("libabsent_office_runtime.so")))
            << maker.Reason().toStdString();
    }
    verification::TFrame_Chk_result* page = Page(*w);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->cbTypeLibreOffice->isChecked());
    EXPECT_FALSE(page->cbTypeLibreOffice->isEnabled());
    EXPECT_FALSE(page->cbTypeMSExcell->isChecked());
    const QString missing = QStringLiteral("Библиотека libprotocolmaker.so не найдена!");
    EXPECT_EQ(Count(missing), 0); // not at the start: only where a protocol is asked for

    // the points are kept and shown as ever; only the protocol cannot be made
    verification::AppendRow(verification::Results(), Row(1));
    verification::AppendRow(verification::Results(), Row(2));
    EXPECT_EQ(page->Model()->rowCount(), 2);
    EXPECT_TRUE(page->ToExcell->isEnabled());
    page->ToExcellClick();
    EXPECT_EQ(Count(missing), 1);

    // the "amp_" fields of the whole window: the report parameters' and the results page's
    const auto fields = verification::AmpFields(w->MainWindowWidgets(QStringLiteral("amp_")));
    QStringList names;
    for (const auto& f : fields)
        names << f.first;
    EXPECT_EQ(names.size(), 24);
    EXPECT_LT(names.indexOf(QStringLiteral("amp_CD_VERIF_POS")),
              names.indexOf(QStringLiteral("amp_CD_VERIF")));
    EXPECT_LT(names.indexOf(QStringLiteral("amp_D1_OWNER")), names.indexOf(QStringLiteral("amp_D1_CHECK_R")));
    EXPECT_TRUE(names.contains(QStringLiteral("amp_D1_NOTES")));
    w->CloseSequence();
}
