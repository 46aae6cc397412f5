// The link state under the conditions a laboratory meets: message boxes that run the event loop,
// timers that tick meanwhile, a calibrator that falls silent or is unplugged, a termination signal
// while a box is open. The message service used here runs a nested event loop per box.
#include "link/deviceframe.h"
#include "link/findframe.h"
#include "shell/mainwindow.h"
#include "shell/termination.h"
#include "simulator/virtualcalibrator.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/modal_messages.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_peer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace shell;
using shelltest::kConnectFailed;
using shelltest::kLinkLost;

namespace {

// Runs the event loop until `done` holds or `ms` pass.
template <typename F> bool Wait(F done, int ms = 3000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

class Session : public shelltest::ShellTest<testsupport::ModalMessageService> {
protected:
    /// A calibrator of the bench scenario on ttyLORIK0 and a main window connected to it.
    std::unique_ptr<TForm_Main> Connected(sim::VirtualCalibrator& vc)
    {
        EXPECT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
        auto w = Start();
        EXPECT_TRUE(w->IsConnected());
        return w;
    }
    // The link state is one state: flag, port, status, buttons and pages agree.
    static void ExpectConsistent(TForm_Main& w)
    {
        const bool up = w.IsConnected();
        EXPECT_EQ(w.Link() && w.Link()->IsOpen(), up);
        EXPECT_EQ(w.StatusPanelText(0), up ? QStringLiteral("Есть связь") : QStringLiteral("Нет связи"));
        EXPECT_EQ(w.FindFrame()->btnLink->isHidden(), up);
        EXPECT_EQ(w.FindFrame()->btnDisLink->isHidden(), !up);
        for (devlink::TDeviceFrame* f : w.DeviceFrames())
            EXPECT_EQ(f->LinkUp(), up) << f->objectName().toStdString();
    }

    testsupport::ModalMessageService& boxes = messages;
};

} // namespace

TEST_F(Session, StartUpUnderLoadEndsInOneConsistentState)
{
    // The show-time reaction once ran the event loop, the deferred start ran inside it, and the
    // reaction then closed the new port: "Есть связь" with the port closed, about 1 start in 25.
    sim::VirtualCalibrator vc(Bench());
    ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    std::atomic<bool> stop{false};
    std::thread load([&] {
        volatile unsigned x = 0;
        while (!stop)
            x = x + 1;
    });
    int connected = 0;
    for (int i = 0; i < 200; ++i) {
        TForm_Main w(StartOptions{});
        w.show();
        ASSERT_TRUE(Wait([&] { return w.Link() != nullptr && !w.FindFrame()->TimerUI->isActive(); })) << i;
        QCoreApplication::processEvents();
        ExpectConsistent(w);
        connected += w.IsConnected();
        w.CloseSequence();
        if (HasFailure()) break;
    }
    stop = true;
    load.join();
    EXPECT_EQ(connected, 200);
    EXPECT_EQ(Count(kLinkLost), 0);
}

TEST_F(Session, ALossIsAnnouncedOnceWhateverTicksMeanwhile)
{
    sim::VirtualCalibrator vc(Bench());
    auto w = Connected(vc);
    ASSERT_TRUE(w->IsConnected());
    // two page timers that keep reading while the box is open
    QTimer a, b;
    int ticks = 0;
    for (QTimer* t : {&a, &b}) {
        t->setInterval(10);
        QObject::connect(t, &QTimer::timeout, [&] {
            float v;
            ++ticks;
            w->Link()->ReadRegisterReal(devlink::MeasuredValue, &v);
        });
        t->start();
    }
    sim::Faults f;
    f.noReply = -1;
    vc.SetFaults(f);
    ASSERT_TRUE(Wait([&] { return !w->IsConnected(); }));
    ASSERT_TRUE(Wait([&] { return boxes.OpenBoxes() == 0 && ticks > 10; }));
    a.stop();
    b.stop();
    EXPECT_EQ(Count(kLinkLost), 1);
    ExpectConsistent(*w);
}

TEST_F(Session, DisconnectingFromASilentCalibratorIsQuietAndBrief)
{
    sim::VirtualCalibrator vc(Bench());
    auto w = Connected(vc);
    ASSERT_TRUE(w->IsConnected());
    sim::Faults f;
    f.noReply = -1;
    vc.SetFaults(f);
    vc.Transport().ClearRequests();
    w->FindFrame()->btnDisLinkClick();
    EXPECT_EQ(Count(kLinkLost), 0);
    // MeasMode := -1 went unanswered: the link is down, nothing more is sent and nothing reopens
    EXPECT_EQ(vc.Transport().Requests(), (std::vector<std::string>{"1;38;20;-1;"}));
    EXPECT_FALSE(w->Link()->IsOpen());
    ExpectConsistent(*w);
    // closing the program then sends nothing either, and shows nothing
    w->CloseSequence();
    EXPECT_EQ(vc.Transport().Requests().size(), 1u);
    EXPECT_EQ(Count(kLinkLost), 0);
}

TEST_F(Session, ClosingWithASilentCalibratorReleasesWhatItCan)
{
    sim::VirtualCalibrator vc(Bench());
    auto w = Connected(vc);
    ASSERT_TRUE(w->IsConnected());
    sim::Faults f;
    f.noReply = -1;
    vc.SetFaults(f);
    w->CloseSequence();
    EXPECT_EQ(Count(kLinkLost), 0);
    EXPECT_TRUE(w->Session().Released());
    EXPECT_FALSE(w->Link()->IsOpen());
    // the link object outlives the close: a late exchange fails at once, silently, and opens nothing
    float v;
    EXPECT_EQ(w->Link()->ReadRegisterReal(devlink::MeasuredValue, &v), -1);
    EXPECT_FALSE(w->Link()->IsOpen());
    EXPECT_EQ(Count(kLinkLost), 0);
}

TEST_F(Session, TerminationWhileALossIsAnnouncedEndsCleanly)
{
    // A page tick loses the link, the box opens, the program is told to end meanwhile; the tick
    // then goes on to read the relays. The link once was destroyed under it.
    sim::VirtualCalibrator vc(Bench());
    auto w = Connected(vc);
    ASSERT_TRUE(w->IsConnected());
    bool quit = false;
    TerminationWatch watch(*w, [&] { quit = true; });
    sim::Faults f;
    f.noReply = 1;
    vc.SetFaults(f);
    boxes.whileOpen = [&] { watch.Terminate(); };
    float v;
    EXPECT_EQ(w->Link()->ReadRegisterReal(devlink::MeasuredValue, &v), -1);
    EXPECT_EQ(w->Link()->LastResult(), -3);
    const std::size_t sent = vc.Transport().Requests().size();
    w->Session().ShowRelays();
    int relay = 0;
    EXPECT_EQ(w->Link()->ReadRegisterInt(devlink::Relay1State, &relay), -1);
    EXPECT_TRUE(quit);
    EXPECT_TRUE(w->Closed());
    EXPECT_EQ(Count(kLinkLost), 1);
    EXPECT_EQ(vc.Transport().Requests().size(), sent); // nothing after the end
    EXPECT_TRUE(boxes.Unattended());
}

TEST_F(Session, TerminationWhileAnyBoxIsOpenReleasesTheCalibratorAndEndsEveryLoop)
{
    sim::VirtualCalibrator vc(Bench());
    auto w = Connected(vc);
    ASSERT_TRUE(w->IsConnected());
    TerminationWatch watch(*w); // the real quit: every event loop ends
    boxes.whileOpen = [&] { watch.Terminate(); };
    QElapsedTimer t;
    t.start();
    bool boxReturned = false;
    QTimer::singleShot(0, [&] {
        platform::Messages().Show(platform::MessageService::Kind::Information, QString(),
                                  QStringLiteral("any box"));
        boxReturned = true;
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    safety.start(10000);
    EXPECT_EQ(QCoreApplication::exec(), 0); // the program's own loop, ended by the signal
    EXPECT_LT(t.elapsed(), 5000);           // not by somebody pressing OK
    EXPECT_TRUE(boxReturned);
    EXPECT_TRUE(w->Closed());
    EXPECT_EQ(vc.Model().State().remoteMode, 0);
    EXPECT_EQ(vc.Model().State().measMode, -1);
}

TEST_F(Session, UnplugWhileConnectedIsNoticedAndAPlugDuringTheBoxReconnects)
{
    sim::VirtualCalibrator vc(Bench());
    auto w = Connected(vc);
    ASSERT_TRUE(w->IsConnected());
    boxes.whileOpen = [&] { vc.Plug(); };
    vc.Unplug();
    ASSERT_TRUE(Wait([&] { return Count(kLinkLost) == 1; }));
    ASSERT_TRUE(Wait([&] { return w->IsConnected() && boxes.OpenBoxes() == 0; }));
    EXPECT_EQ(Count(kLinkLost), 1);
    ExpectConsistent(*w);
}

TEST_F(Session, BusyPortsCannotBeChosenByAnyMeans)
{
    sim::VirtualCalibrator a(Bench()), b(Bench());
    ASSERT_EQ(a.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    ASSERT_EQ(b.Start(simDir.Link(QStringLiteral("ttyLORIK1"))), 0);
    platform::TInterface_RS232 holder;
    const int h = holder.OpenPort(QStringLiteral("ttyLORIK0"), 115200, 150, 8, 0, 0);
    ASSERT_NE(h, -1);
    auto w = Start();
    w->show();
    auto* find = w->FindFrame();
    auto* list = find->ListBox_Ports;
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), -1);
    // the keys: down to the free port, up again
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_NE(list->currentRow(), 0);
    // the program
    list->setCurrentRow(0);
    EXPECT_NE(list->currentRow(), 0);
    EXPECT_FALSE(find->btnLink->isEnabled() && list->currentRow() == 0);
    find->btnLinkClick();
    EXPECT_FALSE(w->IsConnected() && a.Transport().RequestCount() > 0);
    EXPECT_EQ(a.Transport().RequestCount(), 0);
    holder.ClosePort(h);
}

// The handshake's serial-number read: a device error still connects (serial "-1"); silence is a
// failed connection.
TEST_F(Session, SerialNumberReadInTheHandshake)
{
    struct Row {
        const char* name;
        sim::Reply serial;
        bool connects;
        const char* number;
    } rows[] = {
        {"answered", {"123456"}, true, "123456"},
        {"device error", {"", 14}, true, "-1"},
        {"silent", {"", 0, true}, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::ScriptedPeer peer;
        for (sim::Reply r : {sim::Reply{"50"}, sim::Reply{""}, sim::Reply{""}, sim::Reply{"1"}, row.serial})
            peer.Push(r);
        ASSERT_EQ(peer.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
        boxes.Clear();
        auto w = Start();
        EXPECT_EQ(w->IsConnected(), row.connects);
        EXPECT_EQ(Count(kConnectFailed), row.connects ? 0 : 1);
        EXPECT_EQ(Count(kLinkLost), 0);
        if (row.connects) {
            EXPECT_STREQ(w->Link()->DeviceSerialNumber(), row.number);
        }
        ExpectConsistent(*w);
        w->CloseSequence();
        peer.Transport().Stop();
    }
}
